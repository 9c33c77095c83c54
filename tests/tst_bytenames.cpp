#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

#include "browserfixture.h"
#include "platform/folder.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::names;

// File names that are not UTF-8, as cards from other systems carry them:
// every command acts on exactly that file.
class tst_ByteNames : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TESSELCFG", noSettingsFile); }
    void init() { setUpBrowserFixture(); }
    void cleanup();

    void listedPreviewedCopiedAndDeleted();
};

namespace {

const QByteArray oddName = "bild\xff\xfe.jpg";
const QString shownName = QString::fromUtf8("bild\xef\xbf\xbd\xef\xbf\xbd.jpg");

QList<QByteArray> entries(const QString &dir)
{
    QList<QByteArray> found;
    Folder(dir).entryNames(&found);
    found.removeAll("_thumbnail");
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

void tst_ByteNames::cleanup()
{
    // Qt's own removal of the folders would not see these names.
    for (const QString &dir : {left(), right()})
        Folder(dir).remove(oddName);
    tearDownBrowserFixture();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_ByteNames::listedPreviewedCopiedAndDeleted()
{
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(Folder(left()).rename("a.jpg", Folder(left()), oddName));
    auto view = makeBrowser();
    QCOMPARE(names(view->LeftListView), QStringList{shownName});

    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QVERIFY(!view->PixmapLabel->pixmap().isNull());
    QVERIFY(view->LeftCopyToolButton->isEnabled());
    view->LeftCopyToolButton->click();
    QCOMPARE(entries(right()), QList<QByteArray>{oddName});
    QCOMPARE(names(view->RightListView), QStringList{shownName});

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    view->RightListView->setCurrentItem(view->RightListView->topLevelItem(0));
    view->RightDeleteToolButton->click();
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Yes);
    view->LeftDeleteToolButton->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(entries(right()), QList<QByteArray>());
    QCOMPARE(entries(left()), QList<QByteArray>());
    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
}

QTEST_MAIN(tst_ByteNames)
#include "tst_bytenames.moc"
