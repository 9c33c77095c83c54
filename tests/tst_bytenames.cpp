#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

#include <sys/stat.h>

#include "browserfixture.h"
#include "folder.h"
#include "progressedit.h"
#include "importrecord.h"
#include "testutils.h"

using TestUtils::FifoWatchdog;
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
    void namesShownAsText_data();
    void namesShownAsText();
    void fifoLookingLikeThePicture();
};

namespace {

const QByteArray oddName = "bild\xff\xfe.jpg";
const QString shownName = QString::fromUtf8("bild\xef\xbf\xbd\xef\xbf\xbd.jpg");

QList<QByteArray> entries(const QString &dir)
{
    QList<QByteArray> found;
    Folder(dir).entryNames(&found);
    found.removeAll("_thumbnail");
    found.removeAll(ImportRecord::fileName);
    std::sort(found.begin(), found.end());
    return found;
}

// Descriptors of this process open on files (not folders) below `dir`.
int openFilesUnder(const QString &dir)
{
    int found = 0;
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files)) {
        struct stat st;
        if (fd.symLinkTarget().startsWith(dir + "/") &&
            ::stat(QFile::encodeName(fd.filePath()).constData(), &st) == 0 && !S_ISDIR(st.st_mode))
            ++found;
    }
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

    QTRY_VERIFY(previewSettled(view.get()));
    QVERIFY(!view->PixmapLabel->pixmap().isNull());
    // Nothing of the card stays open, or an unmount would find it busy.
    QCOMPARE(openFilesUnder(left()), 0);
    QVERIFY(view->LeftCopyToolButton->isEnabled());
    view->LeftCopyToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(entries(right()), QList<QByteArray>{oddName});
    QCOMPARE(names(view->RightListView), QStringList{shownName});

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    view->RightListView->setCurrentItem(view->RightListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    view->RightDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    // Its copy is gone, so it is no longer proven: all of them.
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::YesToAll);
    view->LeftDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(entries(right()), QList<QByteArray>());
    QCOMPARE(entries(left()), QList<QByteArray>());
    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
}

// A name is shown as written in the delete question and the progress line;
// read as markup it would break the question's lines or make the window
// read the FIFO beside it.
void tst_ByteNames::namesShownAsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("line breaks") << "a<br><br>b.jpg";
    QTest::newRow("picture of a FIFO") << "<img src=\"z\">.jpg";
}

void tst_ByteNames::namesShownAsText()
{
    QFETCH(QString, name);
    QVERIFY(TestUtils::writePicture(right() + "/" + name, QSize(64, 48)));
    FifoWatchdog fifo(QFile::encodeName(right() + "/z"));
    QVERIFY(fifo.made());
    // Markup would read a relative source from the working folder.
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(right()));
    auto view = makeBrowser();

    view->RightThumbnailButton->click();
    QTRY_COMPARE(view->progress->TimeLabel->text(), "file:" + name);
    QCOMPARE(view->progress->TimeLabel->textFormat(), Qt::PlainText);
    view->progress->grab();
    QTRY_VERIFY_WITH_TIMEOUT(!view->progress->isVisible(), 5000);

    ModalAnswerer answerer;
    Qt::TextFormat shownAs = Qt::AutoText;
    answerer.answerModal([&shownAs](QWidget *box) {
        shownAs = static_cast<QMessageBox *>(box)->textFormat();
        box->grab();
        static_cast<QMessageBox *>(box)->button(QMessageBox::No)->click();
    });
    view->RightListView->setCurrentItem(view->RightListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    view->RightDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QVERIFY(QDir::setCurrent(home));
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(shownAs, Qt::PlainText);
    QVERIFY(!fifo.unblocked());
}

// A FIFO whose name shows as the picture's is never opened for it, and a
// picture swapped for a FIFO after listing fails to copy.
void tst_ByteNames::fifoLookingLikeThePicture()
{
    const QByteArray picture = "a\xff.jpg";
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(Folder(left()).rename("a.jpg", Folder(left()), picture));
    FifoWatchdog lookalike(QFile::encodeName(left()) + "/a\x80.jpg");
    QVERIFY(lookalike.made());
    auto view = makeBrowser();
    QTreeWidgetItem *shown = nullptr;
    for (int i = 0; i < view->LeftListView->topLevelItemCount(); ++i)
        if (PicturePane::nativeName(view->LeftListView->topLevelItem(i)) == picture)
            shown = view->LeftListView->topLevelItem(i);
    QVERIFY(shown);

    view->LeftListView->setCurrentItem(shown);

    QTRY_VERIFY(previewSettled(view.get()));
    QVERIFY(!view->PixmapLabel->pixmap().isNull());
    QVERIFY(!lookalike.unblocked());

    QVERIFY(Folder(left()).remove(picture));
    FifoWatchdog swapped(QFile::encodeName(left()) + "/" + picture);
    QVERIFY(swapped.made());
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    view->LeftCopyToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList("copy file"));
    QCOMPARE(entries(right()), QList<QByteArray>());
    QVERIFY(!swapped.unblocked());
    for (const QByteArray &fifo : {picture, QByteArray("a\x80.jpg")})
        QVERIFY(Folder(left()).remove(fifo));
}

QTEST_MAIN(tst_ByteNames)
#include "tst_bytenames.moc"
