#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTest>
#include <QTreeWidget>

#include "appfixture.h"
#include "fullpic.h"
#include "browserfixture.h"
#include "testutils.h"
#include "udiskstestbed.h"

using TestUtils::ModalAnswerer;
using TestUtils::names;

namespace {

const int serviceTimeoutMs = 20000;
const QStringList cardPictures{"100CANON/a.jpg", "101CANON/b.jpg"};

} // namespace

// The mount button with a real udisks2 service answering.
class tst_TesselViewUDisks : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void mountButtonMountsAndUnmounts();
    void cardMountedBeforeStartShowsMounted();
    void unmountAtQuitIsDoneBeforeTheEnd();
    void failedUnmountAtQuitToldBeforeTheEnd();
    void ejectsAfterJob_data();
    void ejectsAfterJob();
    void serviceErrorShowsBox_data();
    void serviceErrorShowsBox();
    // Last: the card is gone afterwards.
    void pulledCardClearsThePane();

private:
    void waitUntilUnmounted();

    QTemporaryDir card;
    UDisksTestBed bed;
};

void tst_TesselViewUDisks::initTestCase()
{
    qputenv("TESSELCFG", noSettingsFile);
    QVERIFY(QDir().mkpath(card.path() + "/DCIM"));
    // Two camera folders: a copy of all opens both.
    for (const QString &path : cardPictures) {
        QVERIFY(QDir().mkpath(QFileInfo(card.path() + "/DCIM/" + path).path()));
        QVERIFY(TestUtils::writePicture(card.path() + "/DCIM/" + path, QSize(64, 48)));
    }
    const QString missing = bed.start({card.path()});
    if (!missing.isEmpty()) {
        bed.stop();
        QSKIP(qPrintable("no udisks2 test bed: " + missing));
    }
}

void tst_TesselViewUDisks::cleanupTestCase()
{
    bed.stop();
}

void tst_TesselViewUDisks::init()
{
    setUpBrowserFixture();
    calls.reset(); // free space from the real card
    data->device = bed.device;
    data->flashPath = "DCIM";
    data->mountPoint = dirs->path() + "/unused";
}

void tst_TesselViewUDisks::cleanup()
{
    if (!bed.mountPoint().isEmpty())
        bed.udisksctl("unmount");
    tearDownBrowserFixture();
}

void tst_TesselViewUDisks::waitUntilUnmounted()
{
    QTRY_VERIFY_WITH_TIMEOUT(bed.mountPoint().isEmpty(), serviceTimeoutMs);
}

void tst_TesselViewUDisks::mountButtonMountsAndUnmounts()
{
    auto view = makeBrowser();
    QCOMPARE(view->MountPushButton->text(), QString("mount disk"));

    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(names(view->LeftListView), cardPictures,
                              serviceTimeoutMs);
    QCOMPARE(data->leftPath, bed.mountPoint() + "/DCIM");
    QCOMPARE(view->MountPushButton->text(), QString("unmount disk"));
    QVERIFY(view->AvailMemLCDNumber->value() > 0);
    QVERIFY(!view->MTextLabel->text().isEmpty());
    // The card's identity is the service's, not the kernel's FAT number.
    QCOMPARE(view->flashCard().volume(), UDisksTestBed::volume(bed.device));
    QCOMPARE(view->flashCard().volumeOf(data->leftPath), view->flashCard().volume());
    QCOMPARE(view->flashCard().volumeOf(right()), QByteArray());

    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    QVERIFY(names(view->LeftListView).isEmpty());
    // The button follows the service's answer.
    QTRY_COMPARE_WITH_TIMEOUT(view->MountPushButton->text(), QString("mount disk"),
                              serviceTimeoutMs);
    waitUntilUnmounted();
    QVERIFY(view->flashCard().volume().isEmpty());
}

void tst_TesselViewUDisks::cardMountedBeforeStartShowsMounted()
{
    QCOMPARE(bed.udisksctl("mount"), 0);
    auto view = makeBrowser();
    QTRY_COMPARE_WITH_TIMEOUT(names(view->LeftListView), cardPictures,
                              serviceTimeoutMs);
    QCOMPARE(view->MountPushButton->text(), QString("unmount disk"));

    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    waitUntilUnmounted();
}

void tst_TesselViewUDisks::unmountAtQuitIsDoneBeforeTheEnd()
{
    QCOMPARE(bed.udisksctl("mount"), 0);
    // As the quit procedure does: unmount, and the browser goes at once.
    makeBrowser()->unmountDevice();
    QVERIFY(bed.mountPoint().isEmpty());
}

// The service answers after the question: its refusal still has its box,
// once, and the program ends after it.
void tst_TesselViewUDisks::failedUnmountAtQuitToldBeforeTheEnd()
{
    QCOMPARE(bed.udisksctl("mount"), 0);
    QFile inUse(bed.mountPoint() + "/DCIM/100CANON/a.jpg");
    QVERIFY(inUse.open(QIODevice::ReadOnly));
    QVERIFY(TestUtils::writeFile(dirs->path() + "/tessel.cfg",
                                 "[HEADER]\nFLASHPATH=DCIM;\nDEVICE=" +
                                     QFile::encodeName(bed.device) + ";\nMOUNTPOINT=" +
                                     QFile::encodeName(dirs->path()) + "/unused;\nFILEEXT=jpg;\n##EOF\n"));
    qputenv("TESSELCFG", QFile::encodeName(dirs->path()));
    QuitCounter app;
    qputenv("TESSELCFG", noSettingsFile);
    QTRY_VERIFY_WITH_TIMEOUT(app.browser()->isMounted(), serviceTimeoutMs);

    ModalAnswerer answerer(serviceTimeoutMs);
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Ok);
    app.slotFileQuit();
    QCOMPARE(app.quits, 0);
    QTRY_COMPARE_WITH_TIMEOUT(app.quits, 1, serviceTimeoutMs);
    QCOMPARE(answerer.captions, QStringList({"Quit...", "unmount flashdisk"}));
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!bed.mountPoint().isEmpty());
}

// What the process holds under `folder`: open descriptors and mapped files.
static int heldUnder(const QString &folder)
{
    int held = 0;
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::AllEntries | QDir::System))
        held += fd.symLinkTarget().startsWith(folder + "/");
    for (const QByteArray &line : TestUtils::readFile("/proc/self/maps").split('\n'))
        held += line.contains(' ' + QFile::encodeName(folder) + '/');
    return held;
}

void tst_TesselViewUDisks::ejectsAfterJob_data()
{
    QTest::addColumn<QString>("job");
    QTest::newRow("select all, copy") << "copy all";
    QTest::newRow("one picture copied") << "copy one";
    QTest::newRow("source thumbnails") << "thumbnails";
    QTest::newRow("full screen") << "full screen";
    QTest::newRow("delete all") << "delete all";
}

void tst_TesselViewUDisks::ejectsAfterJob()
{
    QFETCH(QString, job);
    auto view = makeBrowser();
    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(names(view->LeftListView), cardPictures,
                              serviceTimeoutMs);
    const QString mountPoint = bed.mountPoint();
    const int heldListed = heldUnder(mountPoint);
    QFile probe(mountPoint + "/DCIM/100CANON/a.jpg");
    QVERIFY(probe.open(QIODevice::ReadOnly));
    QCOMPARE(heldUnder(mountPoint), heldListed + 1);
    probe.close();
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    if (job == "copy all") {
        view->LeftListView->selectAll();
        QTest::mouseClick(view->LeftCopyToolButton, Qt::LeftButton);
        QTRY_COMPARE(names(view->RightListView), QStringList({"a.jpg", "b.jpg"}));
    } else if (job == "copy one") {
        QTest::mouseClick(view->LeftCopyToolButton, Qt::LeftButton);
        QTRY_COMPARE(names(view->RightListView), QStringList({"a.jpg"}));
    } else if (job == "thumbnails") {
        QTest::mouseClick(view->LeftThumbnailButton, Qt::LeftButton);
        QTRY_VERIFY(!view->srcThumbTimer.isActive());
    } else if (job == "delete all") {
        ModalAnswerer answerer;
        // The pictures have no proven copy: "All" deletes them anyway.
        answerer.answerMessageBox(QMessageBox::Yes);
        answerer.answerMessageBox(QMessageBox::YesToAll);
        QTest::mouseClick(view->LeftDeleteToolButton, Qt::LeftButton);
        QTRY_VERIFY(names(view->LeftListView).isEmpty());
        // Back for the tests after.
        for (const QString &path : cardPictures)
            QVERIFY(TestUtils::writePicture(mountPoint + "/DCIM/" + path, QSize(64, 48)));
    } else {
        auto *full = view->findChild<FullPic *>();
        QTimer::singleShot(0, full, [full] {
            QTest::keyClick(full, Qt::Key_Right);
            QTest::keyClick(full, Qt::Key_Escape);
        });
        QTest::mouseClick(view->ShowFullToolButton, Qt::LeftButton);
    }
    QTRY_VERIFY(jobsEnded(view.get()));
    QTRY_VERIFY(previewSettled(view.get()));

    const int heldAtEnd = heldUnder(mountPoint);
    view->releaseCard();
    qInfo("held under the card: %d listed, %d at the job's end, %d released", heldListed,
          heldAtEnd, heldUnder(mountPoint));
    QCOMPARE(heldUnder(mountPoint), 0);
    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(view->MountPushButton->text(), QString("mount disk"),
                              serviceTimeoutMs);
    waitUntilUnmounted();
}

void tst_TesselViewUDisks::serviceErrorShowsBox_data()
{
    QTest::addColumn<bool>("mountedBefore");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("listedAfter");
    QTest::addColumn<QString>("buttonAfter");
    QTest::newRow("mounting a device the service does not know")
        << false << "mount flashdisk" << QStringList() << "mount disk";
    // The card stays mounted, and is shown so.
    QTest::newRow("unmounting a card in use")
        << true << "unmount flashdisk" << cardPictures << "unmount disk";
}

void tst_TesselViewUDisks::serviceErrorShowsBox()
{
    QFETCH(bool, mountedBefore);
    QFETCH(QString, caption);
    QFETCH(QStringList, listedAfter);
    QFETCH(QString, buttonAfter);
    QFile inUse;
    if (mountedBefore) {
        QCOMPARE(bed.udisksctl("mount"), 0);
        inUse.setFileName(bed.mountPoint() + "/DCIM/100CANON/a.jpg");
        QVERIFY(inUse.open(QIODevice::ReadOnly));
    } else {
        data->device = "/dev/tessel-no-such-card";
    }
    auto view = makeBrowser();
    QTRY_COMPARE_WITH_TIMEOUT(view->MountPushButton->text(),
                              QString(mountedBefore ? "unmount disk" : "mount disk"),
                              serviceTimeoutMs);

    ModalAnswerer answerer(serviceTimeoutMs);
    answerer.answerMessageBox(QMessageBox::Ok);
    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    // Until the service has answered, the card is where it was.
    QCOMPARE(view->MountPushButton->text(),
             QString(mountedBefore ? "unmount disk" : "mount disk"));
    QTRY_COMPARE_WITH_TIMEOUT(answerer.pending(), 0, serviceTimeoutMs);
    QCOMPARE(answerer.captions, QStringList(caption));
    QVERIFY2(answerer.texts.first().startsWith("no success\n"), qPrintable(answerer.texts.first()));
    QTRY_COMPARE_WITH_TIMEOUT(names(view->LeftListView), listedAfter, serviceTimeoutMs);
    QCOMPARE(view->MountPushButton->text(), buttonAfter);
}

// Pulled while a copy asks its question: the copy ends with a box.
void tst_TesselViewUDisks::pulledCardClearsThePane()
{
    QVERIFY(TestUtils::writePicture(right() + "/a.jpg", QSize(10, 10)));
    auto view = makeBrowser();
    QTest::mouseClick(view->MountPushButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(names(view->LeftListView), cardPictures, serviceTimeoutMs);
    QSignalSpy removed(&view->flashCard(), &FlashCard::removed);
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    view->LeftListView->selectAll();

    ModalAnswerer answerer(serviceTimeoutMs);
    answerer.answerModal([&](QWidget *box) {
        QCOMPARE(bed.pull(bed.device), 0);
        QVERIFY(removed.wait(serviceTimeoutMs));
        QVERIFY(names(view->LeftListView).isEmpty());
        QCOMPARE(view->MountPushButton->text(), QString("mount disk"));
        QVERIFY(!view->isMounted());
        QCOMPARE(box->windowTitle(), QString("copy file"));
        static_cast<QMessageBox *>(box)->button(QMessageBox::No)->click();
    });
    answerer.answerMessageBox(QMessageBox::Ok);
    QTest::mouseClick(view->LeftCopyToolButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(jobsEnded(view.get()) && answerer.pending() == 0, serviceTimeoutMs);
    QCOMPARE(answerer.captions, QStringList("mount flashdisk"));
    QVERIFY(!view->LeftDeleteToolButton->isEnabled());
    QVERIFY(!view->LeftCopyToolButton->isEnabled());
    QCOMPARE(removed.size(), 1);
}

QTEST_MAIN(tst_TesselViewUDisks)
#include "tst_tesselview_udisks.moc"
