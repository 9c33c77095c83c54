#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include "platform/qpeapplication.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;

// Runs on a screen as narrow as the device's (see smallscreen.json), under
// the program's own application object.
class tst_MessageBoxFitter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void boxFitsScreenWidth_data();
    void boxFitsScreenWidth();
};

void tst_MessageBoxFitter::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().width(), 240);
}

void tst_MessageBoxFitter::boxFitsScreenWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::newRow("three buttons") << "You have modified the data!\nDo you want to save the changes ?"
                                   << (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QTest::newRow("two buttons") << "flashdisk is still mounted\nunmount it"
                                 << (QMessageBox::Yes | QMessageBox::No);
    QTest::newRow("long text") << QString("a very long line of words ").repeated(8)
                               << QMessageBox::StandardButtons(QMessageBox::Ok);
}

void tst_MessageBoxFitter::boxFitsScreenWidth()
{
    QFETCH(QString, text);
    QFETCH(QMessageBox::StandardButtons, buttons);

    int width = 0;
    QStringList unseenButtons;
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *box) {
        width = box->frameGeometry().width();
        for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
            const QRect inBox(button->mapTo(box, QPoint(0, 0)), button->size());
            if (button->isVisible() && !box->rect().contains(inBox))
                unseenButtons << button->text();
        }
        static_cast<QMessageBox *>(box)->buttons().constFirst()->click();
    });
    QMessageBox::information(nullptr, "Quit ... ", text, buttons);
    QCOMPARE(answerer.pending(), 0);
    QVERIFY2(width > 0 && width <= 240, qPrintable(QString::number(width)));
    QCOMPARE(unseenButtons, QStringList());
}

int main(int argc, char **argv)
{
    QPEApplication app(argc, argv);
    tst_MessageBoxFitter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_messageboxfitter.moc"
