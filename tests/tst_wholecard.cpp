#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/resource.h>

#include "browserfixture.h"
#include "filekind.h"
#include "progressedit.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::names;

// A camera card as the browser shows it: every camera folder, several
// kinds of file, pictures that are no JPEG, and what belongs to a picture
// going with it.
class tst_WholeCard : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TESSELCFG", noSettingsFile); }
    void init();
    void cleanup() { tearDownBrowserFixture(); }

    void cameraFoldersListedPreviewedAndThumbnailed();
    void deleteAllTakesSidecarsAndCameraFolders();
    void videoPreviewedAsFilmStrip();
    void copiesLandFlatAndShowAsCopied();
    void videoFoldersAndSideFilesGoWithTheirPictures();
    void hiddenCameraFilesLabel();
    void namesReadableAtDefaultWidth();
    void outOfDescriptorsListsNothing();
};

void tst_WholeCard::init()
{
    setUpBrowserFixture("DCIM");
    data->fileExt = "jpg, mov";
    data->previewWidth = 60;
    data->previewHeight = 40;
    QVERIFY(QDir().mkpath(left() + "/100CANON"));
    QVERIFY(QDir().mkpath(left() + "/101canon"));
    QVERIFY(QDir().mkpath(left() + "/misc"));
    for (const char *path : {"/top.jpg", "/100CANON/IMG_0002.JPG", "/100CANON/IMG_0001.JPG",
                                "/101canon/img_0001.jpg", "/misc/other.jpg"})
        QVERIFY(TestUtils::writePicture(left() + QString(path), QSize(64, 48)));
    QVERIFY(TestUtils::touch(left() + "/100CANON/IMG_0001.THM", 10));
    QVERIFY(TestUtils::touch(left() + "/100CANON/MVI_0003.MOV", 100));
}

void tst_WholeCard::cameraFoldersListedPreviewedAndThumbnailed()
{
    auto view = makeBrowser();
    QCOMPARE(names(view->LeftListView),
             QStringList({"top.jpg", "100CANON/IMG_0001.JPG", "100CANON/IMG_0002.JPG",
                          "100CANON/MVI_0003.MOV", "101canon/img_0001.jpg"}));

    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(1));

    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->currentPicture, left() + "/100CANON/IMG_0001.JPG");
    QVERIFY(view->ShowFullToolButton->isEnabled());

    view->LeftThumbnailButton->click();
    QTRY_VERIFY(!view->progress->isVisible());
    QVERIFY(QFile::exists(left() + "/100CANON/_thumbnail/IMG_0001.JPG.png"));
    QVERIFY(QFile::exists(left() + "/101canon/_thumbnail/img_0001.jpg.png"));
    QVERIFY(QFile::exists(left() + "/_thumbnail/top.jpg.png"));
}

void tst_WholeCard::deleteAllTakesSidecarsAndCameraFolders()
{
    auto view = makeBrowser();
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    // Nothing is proven: all of them.
    answerer.answerMessageBox(QMessageBox::YesToAll);
    view->LeftDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(names(view->LeftListView), QStringList());
    QCOMPARE(QDir(left() + "/100CANON").entryList(QDir::Files), QStringList());
    // Not a camera folder: never listed, never deleted.
    QVERIFY(QFile::exists(left() + "/misc/other.jpg"));
}

void tst_WholeCard::videoPreviewedAsFilmStrip()
{
    auto view = makeBrowser();
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(3));
    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->PixmapLabel->pixmap().size(), QSize(60, 40));
    QVERIFY(view->ShowFullToolButton->isEnabled());
}


// Each picture from its own folder, a RAW beside its JPEG with it, all in
// one folder; afterwards every source picture shows as copied.
void tst_WholeCard::copiesLandFlatAndShowAsCopied()
{
    data->fileExt = "jpg, mov, cr2";
    QVERIFY(TestUtils::touch(left() + "/100CANON/IMG_0002.CR2", 300));
    auto view = makeBrowser();
    QTest::keyClick(view->LeftListView, Qt::Key_A, Qt::ControlModifier);
    view->LeftCopyToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QTRY_VERIFY(view->LeftListView->isEnabled());
    QCOMPARE(QDir(right()).entryList(QDir::Files, QDir::Name),
             QStringList({"IMG_0001.JPG", "IMG_0001.THM", "IMG_0002.CR2", "IMG_0002.JPG",
                          "MVI_0003.MOV", "img_0001.jpg", "top.jpg"}));
    for (int i = 0; i < view->LeftListView->topLevelItemCount(); ++i)
        QVERIFY(!view->LeftListView->topLevelItem(i)->icon(0).isNull());
}

// A phone's folder, a voice note and the folders video cameras write beside
// DCIM: listed, a Sony clip previewed from its THMBNL picture and a RAW
// without a preview of its own from its .THM, every side file copied with
// its picture and deleted with it.
void tst_WholeCard::videoFoldersAndSideFilesGoWithTheirPictures()
{
    const QString card = QFileInfo(left()).path();
    for (const char *path : {"/DCIM/Camera/IMG_1.jpg", "/PRIVATE/M4ROOT/THMBNL/C0001T01.JPG",
                             "/DCIM/100CANON/IMG_0005.THM"})
        QVERIFY(QDir().mkpath(QFileInfo(card + path).path()) &&
                TestUtils::writePicture(card + path, QSize(64, 48)));
    for (const char *path : {"/DCIM/Camera/IMG_1.WAV", "/PRIVATE/M4ROOT/CLIP/C0001.MP4",
                             "/DCIM/100CANON/IMG_0005.CRW",
                             "/PRIVATE/M4ROOT/CLIP/C0001M01.XML", "/MP_ROOT/100ANV01/MAH1.MP4",
                             "/MP_ROOT/100ANV01/MAH1.THM", "/PRIVATE/AVCHD/BDMV/STREAM/00000.MTS"})
        QVERIFY(QDir().mkpath(QFileInfo(card + path).path()) && TestUtils::touch(card + path, 20));
    data->fileExt = FileKind::shownExtensions();
    auto view = makeBrowser();
    const QStringList listed = names(view->LeftListView);
    for (const char *shown : {"Camera/IMG_1.jpg", "CLIP/C0001.MP4", "STREAM/00000.MTS",
                              "100ANV01/MAH1.MP4"})
        QVERIFY2(listed.contains(shown), qPrintable(listed.join(' ')));

    for (const char *shown : {"CLIP/C0001.MP4", "100CANON/IMG_0005.CRW"}) {
        view->PixmapLabel->clear();
        view->LeftListView->setCurrentItem(TestUtils::item(view->LeftListView, shown));
        // The picture's blue corner, not a film strip's grey.
        const auto blueCorner = [&view] {
            const QRgb corner = view->PixmapLabel->pixmap().toImage().pixel(1, 1);
            return qBlue(corner) - qRed(corner) > 80;
        };
        QTRY_VERIFY2(blueCorner(), shown);
    }

    QTest::keyClick(view->LeftListView, Qt::Key_A, Qt::ControlModifier);
    view->LeftCopyToolButton->click();
    QTRY_VERIFY(view->LeftListView->isEnabled());
    const QStringList copied = QDir(right()).entryList(QDir::Files);
    for (const char *name : {"IMG_1.WAV", "C0001M01.XML", "MAH1.THM", "IMG_0001.THM", "IMG_0005.THM"})
        QVERIFY2(copied.contains(name), qPrintable(copied.join(' ')));
    for (int i = 0; i < view->LeftListView->topLevelItemCount(); ++i)
        QVERIFY(!view->LeftListView->topLevelItem(i)->icon(0).isNull());

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Yes);
    view->LeftDeleteToolButton->click();
    QTRY_COMPARE(names(view->LeftListView), QStringList());
    for (const char *path : {"/DCIM/Camera/IMG_1.WAV", "/PRIVATE/M4ROOT/CLIP/C0001M01.XML",
                             "/MP_ROOT/100ANV01/MAH1.THM"})
        QVERIFY2(!QFile::exists(card + path), path);
}

void tst_WholeCard::hiddenCameraFilesLabel()
{
    for (const char *path : {"/100CANON/IMG_0002.CR2", "/100CANON/IMG_0001.CR2", "/101canon/x.arw"})
        QVERIFY(TestUtils::touch(left() + path, 10));
    auto view = makeBrowser();
    const QStringList listed = names(view->LeftListView);
    QVERIFY(view->HiddenFilesLabel->isVisibleTo(view.get()));
    QCOMPARE(view->hiddenCameraFilesLine(),
             QString("3 more camera files are not listed: ARW, CR2"));
    QCOMPARE(view->HiddenFilesLabel->text(), view->hiddenCameraFilesLine());
    view->clearLeft();
    QCOMPARE(view->hiddenCameraFilesLine(), QString());
    QVERIFY(view->listLeft());
    QVERIFY(!view->hiddenCameraFilesLine().isEmpty());

    data->fileExt = FileKind::shownExtensions();
    QVERIFY(view->listLeft());
    QVERIFY(!view->HiddenFilesLabel->isVisibleTo(view.get()));
    QCOMPARE(view->hiddenCameraFilesLine(), QString());
    QCOMPARE(names(view->LeftListView).size(), listed.size() + 1);
}

// At the screen's default width a row's visible text begins with the
// picture's own name; the destination's header keeps its folder's name.
void tst_WholeCard::namesReadableAtDefaultWidth()
{
    QVERIFY(TestUtils::touch(left() + "/100CANON/IMG_0001.CR2", 10));
    QVERIFY(QDir().mkpath(left() + "/100MSDCF") &&
            TestUtils::touch(left() + "/100MSDCF/DSC00001.ARW", 10));
    QVERIFY(QDir().mkpath(right()));
    const TesselData defaults;
    data->previewWidth = defaults.previewWidth;
    data->previewHeight = defaults.previewHeight;
    data->fileExt = FileKind::shownExtensions();
    auto view = makeBrowser();
    view->resize(defaults.screenWidth, defaults.screenHeight);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));

    QTreeWidget *list = view->LeftListView;
    const int margin =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    // Room for the copied mark, which a copied picture's row shows first.
    const int mark = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list) + margin;
    for (const auto &[row, own] : {std::pair{"100CANON/IMG_0001.JPG+CR2", "IMG_0001"},
                                   std::pair{"100MSDCF/DSC00001.ARW", "DSC00001"}}) {
        const QTreeWidgetItem *item = TestUtils::item(list, row);
        QVERIFY2(item, qPrintable(names(list).join(' ')));
        const QRect cell(list->header()->sectionViewportPosition(0), 0, list->columnWidth(0), 1);
        const int width = cell.intersected(list->viewport()->rect()).width() - margin - mark;
        const QString seen =
            list->fontMetrics().elidedText(item->text(0), list->textElideMode(), width);
        QVERIFY2(seen.startsWith(own), qPrintable(seen));
    }

    const QHeaderView *header = view->RightListView->header();
    QVERIFY(header->sectionSize(0) <= view->RightListView->viewport()->width());
    const QString path = view->RightListView->headerItem()->text(0);
    const QString seen = header->fontMetrics().elidedText(path, header->textElideMode(),
                                                          header->sectionSize(0) - margin);
    QVERIFY2(seen != path && seen.endsWith("/right"), qPrintable(seen));
}

// With no descriptor left the card is not listed in part: a box says so.
void tst_WholeCard::outOfDescriptorsListsNothing()
{
    auto view = makeBrowser();
    QVERIFY(!names(view->LeftListView).isEmpty());
    rlimit saved;
    QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    while (fcntl(int(none.rlim_cur), F_GETFD) != -1)
        ++none.rlim_cur;
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    QVERIFY(setrlimit(RLIMIT_NOFILE, &none) == 0);
    const bool listed = view->listLeft();
    QVERIFY(setrlimit(RLIMIT_NOFILE, &saved) == 0);
    QVERIFY(!listed);
    QCOMPARE(answerer.texts, QStringList{"The card holds more folders than this program may open "
                                         "at once: nothing is listed."});
    QCOMPARE(names(view->LeftListView), QStringList());
}

QTEST_MAIN(tst_WholeCard)
#include "tst_wholecard.moc"
