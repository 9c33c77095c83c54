#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include "qpeapplication.h"
#include "testutils.h"

// Runs under the program's own application object on a screen as narrow as
// the device's (smallscreen.json).
class tst_MessageBoxFitter : public QObject
{
    Q_OBJECT
private slots:
    void boxFitsScreenWidth_data();
    void boxFitsScreenWidth();
};

void tst_MessageBoxFitter::boxFitsScreenWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::newRow("save question") << "You have modified the data!\nDo you want to save the changes ?"
                                   << (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QTest::newRow("card question") << "flashdisk is still mounted\nunmount it"
                                   << (QMessageBox::Yes | QMessageBox::No);
}

void tst_MessageBoxFitter::boxFitsScreenWidth()
{
    QFETCH(QString, text);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().width(), 240);

    QRect box;
    QRect buttonsSpan;
    TestUtils::ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *w) {
        box = w->frameGeometry();
        for (QAbstractButton *b : static_cast<QMessageBox *>(w)->buttons())
            buttonsSpan |= QRect(b->mapToGlobal(QPoint(0, 0)), b->size());
        static_cast<QMessageBox *>(w)->buttons().constFirst()->click();
    });
    QMessageBox::information(nullptr, "Quit", text, buttons);
    QCOMPARE(answerer.pending(), 0);
    // Fits, without squeezing the text into a column of single words.
    QVERIFY2(box.width() <= 240 && box.width() > 150, qPrintable(QString::number(box.width())));
    QVERIFY(box.contains(buttonsSpan));
}

int main(int argc, char **argv)
{
    QPEApplication app(argc, argv);
    tst_MessageBoxFitter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_messageboxfitter.moc"
