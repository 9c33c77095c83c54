#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <sys/stat.h>

#include "browserfixture.h"
#include "camerapicture.h"
#include "thumbnailfile.h"
#include "folder.h"
#include "progressedit.h"
#include "testutils.h"

using TestUtils::StdoutCapture;
using TestUtils::diagnostics;
using TestUtils::readFile;
using TestUtils::writeHugePicture;

namespace {

// One pane as a thumbnail run sees it.
struct Pane
{
    QToolButton *button;
    QTreeWidget *list;
    QTimer *timer;
    const char *tickSlot;
    QString dir;
    ThumbnailRun *run;
};

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class tst_Thumbnails : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyPaneRun_data();
    void emptyPaneRun();
    void undecodablePictureSkipped_data();
    void undecodablePictureSkipped();
    void timerDrivesRunUntilClosed_data();
    void timerDrivesRunUntilClosed();
    void sharedWindowStaysWhileOtherRunGoesOn();
    void refillStopsThatPanesRun_data();
    void refillStopsThatPanesRun();
    void failedSaveReportedAndRemoved_data();
    void failedSaveReportedAndRemoved();
    void previewUsesOnlyItsOwnThumbnail_data();
    void previewUsesOnlyItsOwnThumbnail();
    void portraitThumbnailKeepsPreviewSize();
    void thumbnailNeverWrittenThroughLinks_data();
    void thumbnailNeverWrittenThroughLinks();

private:
    Pane pane(Browser *view, const QString &side) const;
    static void tick(Browser *view, const Pane &p);
    void addPictures(const QString &dir, const QStringList &names);
};

void tst_Thumbnails::initTestCase()
{
    qputenv("TESSELCFG", noSettingsFile);
}

void tst_Thumbnails::init()
{
    setUpBrowserFixture();
    if (QTest::currentTestFailed())
        return;
    data->previewWidth = 60;
    data->previewHeight = 40;
}

void tst_Thumbnails::cleanup()
{
    tearDownBrowserFixture();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

Pane tst_Thumbnails::pane(Browser *view, const QString &side) const
{
    if (side == "source")
        return {view->LeftThumbnailButton, view->LeftListView, &view->srcThumbTimer,
                "slotSaveNextSrcEntry", left(), &view->source.thumbnails()};
    return {view->RightThumbnailButton, view->RightListView, &view->destThumbTimer,
            "slotSaveNextDestEntry", right(), &view->destination.thumbnails()};
}

// One timer tick, without waiting for the timer.
void tst_Thumbnails::tick(Browser *view, const Pane &p)
{
    QVERIFY(QMetaObject::invokeMethod(view, p.tickSlot));
}

void tst_Thumbnails::addPictures(const QString &dir, const QStringList &names)
{
    for (const QString &name : names)
        QVERIFY(TestUtils::writePicture(dir + "/" + name, QSize(320, 240)));
}

void tst_Thumbnails::emptyPaneRun_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<QString>("caption");
    // A source that lists nothing offers no run at all.
    QTest::newRow("destination") << "destination"
                                 << "save dest thumbnails";
}

void tst_Thumbnails::emptyPaneRun()
{
    QFETCH(QString, side);
    QFETCH(QString, caption);
    auto view = makeBrowser();
    const Pane p = pane(view.get(), side);

    p.button->click();
    QVERIFY(view->progress->isVisible());
    QCOMPARE(view->progress->windowTitle(), caption);
    QCOMPARE(view->progress->ProgressBar->maximum(), 0);
    QVERIFY(!p.list->isEnabled());
    QVERIFY(p.timer->isActive());
    QCOMPARE(p.timer->interval(), 0);
    QVERIFY(!p.timer->isSingleShot());

    tick(view.get(), p);
    QVERIFY(!view->progress->isVisible());
    QVERIFY(p.list->isEnabled());
    QVERIFY(!p.timer->isActive());
    QVERIFY(!QFileInfo::exists(p.dir + "/_thumbnail"));
}

void tst_Thumbnails::undecodablePictureSkipped_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<QString>("damage");
    QTest::newRow("source, corrupt second picture") << "source"
                                                    << "corrupt";
    QTest::newRow("destination, second picture claims a huge size") << "destination"
                                                                    << "huge";
}

void tst_Thumbnails::undecodablePictureSkipped()
{
    QFETCH(QString, side);
    QFETCH(QString, damage);
    const QString dir = side == "source" ? left() : right();
    const QString other = side == "source" ? right() : left();
    addPictures(dir, {"a.jpg", "c.jpg"});
    if (damage == "corrupt")
        QVERIFY(TestUtils::writeCorruptPicture(dir + "/b.jpg"));
    else
        QVERIFY(writeHugePicture(dir + "/b.jpg"));
    auto view = makeBrowser();
    view->listLeft();
    const Pane p = pane(view.get(), side);

    QSignalSpy progressed(p.run, &ThumbnailRun::progressed);
    // What could not be read is told once, at the end.
    TestUtils::ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    p.button->click();
    QCOMPARE(view->progress->ProgressBar->maximum(), 3);
    QVERIFY(!p.list->isEnabled());
    QTRY_VERIFY(!p.run->isRunning());
    QCOMPARE(QList<QVariantList>(progressed),
             QList<QVariantList>({{"a.jpg", 1}, {"c.jpg", 3}}));
    QCOMPARE(view->progress->ProgressBar->value(), 3);
    QVERIFY(view->progress->TimeLabel->text().startsWith("file:c.jpg"));
    QCOMPARE(answerer.texts, QStringList({"1 of the 3 pictures could not be read or saved.\n"
                                          "the picture cannot be read"}));
    QVERIFY(!view->progress->isVisible());
    QVERIFY(p.list->isEnabled());
    QVERIFY(!p.timer->isActive());

    QCOMPARE(filesIn(dir + "/_thumbnail"), QStringList({"a.jpg.png", "c.jpg.png"}));
    QVERIFY(!QFileInfo::exists(other + "/_thumbnail"));
    QImageReader thumb(dir + "/_thumbnail/a.jpg.png");
    QCOMPARE(thumb.format(), QByteArray("png"));
    QCOMPARE(thumb.size(), QSize(60, 40));
}

void tst_Thumbnails::timerDrivesRunUntilClosed_data()
{
    QTest::addColumn<bool>("tapped"); // Cancel tapped, or the window closed
    QTest::newRow("window closed") << false;
    QTest::newRow("Cancel tapped") << true;
}

void tst_Thumbnails::timerDrivesRunUntilClosed()
{
    QFETCH(bool, tapped);
    addPictures(left(), {"a.jpg", "b.jpg", "c.jpg"});
    addPictures(right(), {"d.jpg", "e.jpg"});
    auto view = makeBrowser();

    // The window is closed right after the first source picture is
    // written, while both runs still go on.
    bool bothListsDisabled = false;
    connect(
        &view->source.thumbnails(), &ThumbnailRun::progressed, view.get(),
        [&] {
            bothListsDisabled =
                !view->LeftListView->isEnabled() && !view->RightListView->isEnabled();
            // Closing the window is refused and asks the browser to stop instead.
            if (tapped)
                QTest::mouseClick(view->progress->findChild<QPushButton *>("CancelButton"),
                                  Qt::LeftButton);
            else
                view->progress->close();
        },
        Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    QSignalSpy firstPicture(&view->source.thumbnails(), &ThumbnailRun::progressed);
    view->LeftThumbnailButton->click();
    view->RightThumbnailButton->click();
    QVERIFY(firstPicture.wait(3000));
    QTRY_VERIFY(!view->source.thumbnails().isRunning());
    QVERIFY(bothListsDisabled);
    QVERIFY(!view->srcThumbTimer.isActive());
    QVERIFY(!view->destThumbTimer.isActive());
    QVERIFY(!view->progress->isVisible());
    QVERIFY(view->LeftListView->isEnabled());
    QVERIFY(view->RightListView->isEnabled());
    // At most the picture handed on before the tap is written.
    QVERIFY(filesIn(left() + "/_thumbnail").size() <= 1);
}

void tst_Thumbnails::sharedWindowStaysWhileOtherRunGoesOn()
{
    addPictures(right(), {"c.jpg", "d.jpg", "e.jpg"});
    auto view = makeBrowser();
    const Pane source = pane(view.get(), "source");
    const Pane destination = pane(view.get(), "destination");
    source.button->click();
    destination.button->click();

    // The source run ends first; the destination run can still be cancelled.
    tick(view.get(), source);
    QVERIFY(!source.timer->isActive());
    QVERIFY(source.list->isEnabled());
    QVERIFY(view->progress->isVisible());

    QTRY_VERIFY(!destination.run->isRunning());
    QVERIFY(!view->progress->isVisible());
    QCOMPARE(filesIn(right() + "/_thumbnail").size(), 3);
}

void tst_Thumbnails::refillStopsThatPanesRun_data()
{
    QTest::addColumn<QString>("refill");
    QTest::addColumn<bool>("sourceGoesOn");
    QTest::addColumn<bool>("destinationGoesOn");
    QTest::newRow("source relisted") << "listLeft" << false << true;
    QTest::newRow("source cleared") << "clearLeft" << false << true;
    QTest::newRow("destination relisted") << "listRight" << true << false;
    QTest::newRow("destination cleared") << "clearRight" << true << false;
    QTest::newRow("unmount click empties both") << "unmount" << false << false;
}

void tst_Thumbnails::refillStopsThatPanesRun()
{
    QFETCH(QString, refill);
    QFETCH(bool, sourceGoesOn);
    QFETCH(bool, destinationGoesOn);
    addPictures(left(), {"a.jpg", "b.jpg"});
    addPictures(right(), {"c.jpg", "d.jpg"});
    auto view = makeBrowser();
    QVERIFY(view->isMounted());
    const Pane source = pane(view.get(), "source");
    const Pane destination = pane(view.get(), "destination");
    // Both runs are decoding their first pictures.
    source.button->click();
    destination.button->click();

    if (refill == "listLeft")
        view->listLeft();
    else if (refill == "clearLeft")
        view->clearLeft();
    else if (refill == "listRight")
        view->listRight();
    else if (refill == "clearRight")
        view->clearRight();
    else
        view->MountPushButton->click();

    QCOMPARE(source.timer->isActive(), sourceGoesOn);
    QCOMPARE(destination.timer->isActive(), destinationGoesOn);
    QCOMPARE(source.list->isEnabled(), !sourceGoesOn);
    QCOMPARE(destination.list->isEnabled(), !destinationGoesOn);
    QCOMPARE(view->progress->isVisible(), sourceGoesOn || destinationGoesOn);

    // The run that goes on finishes its own pane; the stopped one writes
    // none of the pictures it was decoding.
    for (const Pane &p : {source, destination})
        QTRY_VERIFY(!p.run->isRunning());
    QCOMPARE(filesIn(left() + "/_thumbnail").size(), sourceGoesOn ? 2 : 0);
    QCOMPARE(filesIn(right() + "/_thumbnail").size(), destinationGoesOn ? 2 : 0);
    QVERIFY(!view->progress->isVisible());
}

void tst_Thumbnails::failedSaveReportedAndRemoved_data()
{
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("fileInThePlace");
    QTest::newRow("read-only thumbnail folder") << QStringList{"a.jpg", "b.jpg"} << "" << false;
    QTest::newRow("a file where the folder belongs")
        << QStringList{"a.jpg", "b.jpg"} << "" << true;
    QTest::newRow("the same name in an earlier camera folder")
        << QStringList{"100CANON/a.jpg", "101CANON/a.jpg"} << "/101CANON" << false;
}

void tst_Thumbnails::failedSaveReportedAndRemoved()
{
    QFETCH(QStringList, pictures);
    QFETCH(QString, failing);
    QFETCH(bool, fileInThePlace);
    for (const QString &picture : pictures)
        QVERIFY(QDir(left()).mkpath(QFileInfo(picture).path()));
    addPictures(left(), pictures);
    const QString thumbs = left() + failing + "/_thumbnail";
    const QByteArray oldThumb = "an older thumbnail";
    if (fileInThePlace) {
        QFile blocker(thumbs);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(thumbs));
        QFile old(thumbs + "/a.jpg.png");
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(oldThumb) == oldThumb.size());
        old.close();
        QVERIFY(QFile::setPermissions(thumbs, QFile::ReadOwner | QFile::ExeOwner));
    }
    auto view = makeBrowser();
    const Pane p = pane(view.get(), "source");

    // A folder that takes no thumbnail ends the run at its first picture,
    // with one box.
    QString printed;
    TestUtils::ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    {
        TestUtils::PermissionChecksOn permissions;
        StdoutCapture out;
        p.button->click();
        QTRY_VERIFY(!p.run->isRunning());
        QCOMPARE(view->progress->ErrorLabel->text(), QString("a.jpg : not saveable"));
        printed = diagnostics(out);
    }
    QCOMPARE(answerer.texts,
             QStringList({"1 of the 2 pictures could not be read or saved.\n" +
                          QString(fileInThePlace ? "Not a directory" : "Permission denied")}));
    QFile::setPermissions(thumbs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString line = "\nTesselView::saveThumbToSrc - thumbnail not saveable (%1)\n";
    QVERIFY2(printed.endsWith(line.arg(thumbs + "/a.jpg.png")), qPrintable(printed));
    if (!fileInThePlace) {
        QCOMPARE(filesIn(thumbs), QStringList({"a.jpg.png"}));
        QCOMPARE(readFile(thumbs + "/a.jpg.png"), oldThumb);
    }
    QVERIFY(p.list->isEnabled());
}

void tst_Thumbnails::previewUsesOnlyItsOwnThumbnail_data()
{
    QTest::addColumn<QString>("thumbnail");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("used");

    QTest::newRow("recorded, picture unchanged") << "recorded" << 6 << "none" << true;
    QTest::newRow("recorded, card refilled with an older picture")
        << "recorded" << 0 << "replaced by older" << false;
    QTest::newRow("recorded, same size, other time") << "recorded" << 0 << "touched" << false;
    QTest::newRow("earlier kind, newer than the picture") << "earlier" << 0 << "none" << true;
    QTest::newRow("earlier kind, older than the picture")
        << "earlier" << 0 << "thumbnail older" << false;
    QTest::newRow("earlier kind, picture turned by its tag") << "earlier" << 6 << "none" << false;
    QTest::newRow("FIFO under the thumbnail's name") << "fifo" << 0 << "none" << false;
}

void tst_Thumbnails::previewUsesOnlyItsOwnThumbnail()
{
    QFETCH(QString, thumbnail);
    QFETCH(int, orientation);
    QFETCH(QString, change);
    QFETCH(bool, used);
    using namespace TestUtils;
    const Quadrants &pictureColours = otherQuadrants;
    const QString picture = left() + "/x.jpg";
    const QString thumb = left() + "/_thumbnail/x.jpg.png";
    const QImage upright = quadrantImage(QSize(320, 240), pictureColours);
    QVERIFY(writeCameraPicture(picture, storedForOrientation(upright, orientation), orientation));
    QVERIFY(QDir().mkpath(left() + "/_thumbnail"));
    const QImage small = quadrantImage(QSize(60, 40));
    if (thumbnail == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(thumb).constData(), 0600), 0);
    else if (thumbnail == "recorded")
        QVERIFY(ThumbnailFile::save(thumb, small, ThumbnailFile::stampOf(picture)));
    else
        QVERIFY(small.save(thumb, "PNG"));

    // A copy onto the card keeps the photo's old time.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    if (change == "replaced by older")
        QVERIFY(quadrantImage(QSize(400, 300), pictureColours).save(picture));
    QFile changed(change == "thumbnail older" ? thumb : picture);
    if (change != "none") {
        QVERIFY(changed.open(QIODevice::ReadWrite));
        QVERIFY(changed.setFileTime(dayAgo, QFileDevice::FileModificationTime));
        changed.close();
    }

    auto view = makeBrowser();
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->currentPicture, picture);
    const QImage shown = view->PixmapLabel->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(60, 40));
    QVERIFY(near(quadrantsOf(shown), used ? plainQuadrants : pictureColours));
}

void tst_Thumbnails::portraitThumbnailKeepsPreviewSize()
{
    using namespace TestUtils;
    const QImage upright = quadrantImage(QSize(240, 320));
    QVERIFY(writeCameraPicture(left() + "/p.jpg", storedForOrientation(upright, 6), 6));
    auto view = makeBrowser();
    const Pane source = pane(view.get(), "source");
    source.button->click();
    QTRY_VERIFY(!source.run->isRunning());

    // Upright, fitted and centred, with transparent margins, and it
    // records its picture.
    const QImage thumb(left() + "/_thumbnail/p.jpg.png");
    QCOMPARE(thumb.text("Thumb::Size"), QString::number(QFileInfo(left() + "/p.jpg").size()));
    QCOMPARE(thumb.size(), QSize(60, 40));
    QCOMPARE(qAlpha(thumb.pixel(0, 20)), 0);
    QCOMPARE(qAlpha(thumb.pixel(59, 20)), 0);
    QVERIFY(near(quadrantsOf(thumb, QRect(15, 0, 30, 40)), plainQuadrants));
}

void tst_Thumbnails::thumbnailNeverWrittenThroughLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("saved");
    QTest::newRow("no link") << "none" << true;
    QTest::newRow("thumbnail folder links to another folder") << "folder" << false;
    QTest::newRow("thumbnail links to a user file") << "file" << false;
}

void tst_Thumbnails::thumbnailNeverWrittenThroughLinks()
{
    QFETCH(QString, link);
    QFETCH(bool, saved);
    // The other pane's folder stands for anything of the user's.
    const QString thesis = right() + "/thesis.odt";
    QVERIFY(TestUtils::writeFile(thesis, "own words"));
    QVERIFY(TestUtils::writePicture(left() + "/x.jpg", QSize(64, 48)));
    if (link == "folder") {
        QVERIFY(QFile::link(right(), left() + "/_thumbnail"));
    } else if (link == "file") {
        QVERIFY(QDir().mkpath(left() + "/_thumbnail"));
        QVERIFY(QFile::link(thesis, left() + "/_thumbnail/x.jpg.png"));
    }

    const Folder folder(left());
    const ThumbnailFile::Stamp stamp = ThumbnailFile::stampOf(folder.descriptor(), "x.jpg");
    const QImage small = TestUtils::quadrantImage(QSize(60, 40));
    QCOMPARE(ThumbnailFile::save(folder.descriptor(), "_thumbnail", "x.jpg", small, stamp), saved);
    QCOMPARE(filesIn(right()), QStringList{"thesis.odt"});
    QCOMPARE(readFile(thesis), QByteArray("own words"));
    QCOMPARE(ThumbnailFile::load(folder.descriptor(), "_thumbnail", "x.jpg").isNull(), !saved);
}

QTEST_MAIN(tst_Thumbnails)
#include "tst_thumbnails.moc"
