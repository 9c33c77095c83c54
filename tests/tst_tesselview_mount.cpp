#include <QDir>
#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "browserfixture.h"
#include "cardpanel.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::StdoutCapture;
using TestUtils::diagnostics;
using TestUtils::touch;

namespace {

void showDir(TesselView *view)
{
    QVERIFY(QMetaObject::invokeMethod(view, "slotShowDir"));
}

void getFreeStorage(TesselView *view)
{
    QVERIFY(QMetaObject::invokeMethod(view, "slotGetFreeStorage"));
}

// Asks, and waits for the card's whole answer (with its box, if any).
template <typename Request>
bool cardAnswers(TesselView *view, Request request)
{
    QSignalSpy answered(&view->flashCard(), &FlashCard::answered);
    request();
    return answered.wait(5000);
}

bool clickAnswered(TesselView *view)
{
    return cardAnswers(view, [view] { view->MountPushButton->click(); });
}

bool looksMounted(TesselView *view)
{
    return view->MountPushButton->text() == "unmount disk" &&
           view->MountPushButton->palette().color(QPalette::Button) == QColor(255, 80, 80);
}

bool looksUnmounted(TesselView *view)
{
    return view->MountPushButton->text() == "mount disk" &&
           view->MountPushButton->palette().color(QPalette::Button) == QColor(80, 255, 80);
}

} // namespace

class tst_TesselViewMount : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startState_data();
    void startState();
    void mountClick_data();
    void mountClick();
    void emptyCardStaysMounted();
    void realKernelRefusesMissingDevice();
    void overlongNamesRefused_data();
    void overlongNamesRefused();
    void unmountClick_data();
    void unmountClick();
    void copyOfferedOnlyWithUsableDestination_data();
    void copyOfferedOnlyWithUsableDestination();
    void freeSpaceUnits_data();
    void freeSpaceUnits();
    void freeSpaceFailureKeepsDisplay();
    void freeSpaceUntouchedWhileUnmounted();
    void freeSpaceMeasuredAfterDeleteAll();
    void cardFolderLeadingOffTheCard();
    void cardFailureBoxes_data();
    void cardFailureBoxes();

private:
    // The card is mounted at mnt; its pictures are the source pane's folder.
    QString mountPoint() const { return dirs->path() + "/mnt"; }
    QString pictures() const { return left(); }
};

void tst_TesselViewMount::initTestCase()
{
    qputenv("TESSELCFG", noSettingsFile);
}

void tst_TesselViewMount::init()
{
    setUpBrowserFixture("mnt/dcim");
    if (QTest::currentTestFailed())
        return;
    data->device = "/dev/tessel-card";
    data->mountPoint = mountPoint();
    data->flashPath = "dcim";
}

void tst_TesselViewMount::cleanup()
{
    tearDownBrowserFixture();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_TesselViewMount::startState_data()
{
    QTest::addColumn<bool>("pictures");
    QTest::newRow("card lists pictures") << true;
    QTest::newRow("card lists nothing") << false;
}

void tst_TesselViewMount::startState()
{
    QFETCH(bool, pictures);
    if (pictures)
        QVERIFY(touch(this->pictures() + "/a.jpg"));
    auto view = makeBrowser();

    QCOMPARE(view->isMounted(), pictures);
    QVERIFY(pictures ? looksMounted(view.get()) : looksUnmounted(view.get()));
    QCOMPARE(view->LeftDeleteToolButton->isEnabled(), pictures);
    QCOMPARE(view->LeftChdirToolButton->isEnabled(), pictures);
    QVERIFY(!view->LeftCopyToolButton->isEnabled());
    QCOMPARE(calls->callsOf("mount"), QStringList());
    QCOMPARE(calls->callsOf("statfs").size(), pictures ? 1 : 0);
}

void tst_TesselViewMount::mountClick_data()
{
    QTest::addColumn<int>("mountErrno");
    QTest::addColumn<bool>("mountedBefore"); // by someone else
    QTest::newRow("mount works") << 0 << false;
    QTest::newRow("no such device") << ENODEV << false;
    QTest::newRow("device busy, already mounted") << EBUSY << true;
}

void tst_TesselViewMount::mountClick()
{
    QFETCH(int, mountErrno);
    QFETCH(bool, mountedBefore);
    QVERIFY(touch(right() + "/b.jpg"));
    auto view = makeBrowser();
    QVERIFY(!view->isMounted());
    data->leftPath = "/somewhere/else";
    calls->mountErrno = mountErrno;
    calls->mounted = mountedBefore;
    const bool mountedAfter = !mountErrno || mountedBefore;
    QSignalSpy cfgChanged(view.get(), &TesselView::cfgChanged);

    ModalAnswerer answerer;
    if (mountErrno)
        answerer.answerMessageBox(QMessageBox::Ok);
    QString printed;
    {
        StdoutCapture out;
        QVERIFY(clickAnswered(view.get()));
        printed = diagnostics(out);
    }

    // A failed call does not rewrite the settings file; the look shows
    // what is mounted.
    QCOMPARE(data->leftPath, mountedAfter ? mountPoint() + "/dcim" : "/somewhere/else");
    QCOMPARE(cfgChanged.size(), mountErrno ? 0 : 1);
    QCOMPARE(calls->callsOf("mount"),
             QStringList("mount /dev/tessel-card " + mountPoint() + " vfat c0ed0000 null"));
    QCOMPARE(view->isMounted(), mountedAfter);
    QVERIFY(mountedAfter ? looksMounted(view.get()) : looksUnmounted(view.get()));
    QCOMPARE(view->dirTimer.isActive(), mountedAfter);
    QVERIFY(view->dirTimer.isSingleShot());
    if (mountedAfter)
        QCOMPARE(view->dirTimer.interval(), 700);
    QCOMPARE(view->RightListView->topLevelItemCount(), 1);
    QCOMPARE(answerer.pending(), 0);
    if (mountErrno) {
        QCOMPARE(answerer.captions, QStringList("mount flashdisk"));
        QCOMPARE(answerer.texts, QStringList(failureText(mountErrno)));
        QCOMPARE(printed, "\nTesselView::mountDevice - dev is /dev/tessel-card"
                          "\nTesselView::mountDevice - mnt is " + mountPoint());
    } else {
        QVERIFY(answerer.captions.isEmpty());
        QVERIFY(printed.isEmpty());
    }

    if (!mountedAfter)
        return;
    // The card's pictures show once the timer has run.
    QVERIFY(touch(pictures() + "/a.jpg"));
    QTRY_VERIFY_WITH_TIMEOUT(!view->dirTimer.isActive(), 5000);
    QCOMPARE(view->LeftListView->topLevelItemCount(), 1);
    QCOMPARE(view->RightListView->topLevelItemCount(), 1);
    QVERIFY(view->isMounted());
    QVERIFY(looksMounted(view.get()));
    QVERIFY(view->LeftDeleteToolButton->isEnabled());
    QVERIFY(view->LeftChdirToolButton->isEnabled());
    QVERIFY(view->RightDeleteToolButton->isEnabled());
}

void tst_TesselViewMount::emptyCardStaysMounted()
{
    QVERIFY(touch(right() + "/b.jpg"));
    auto view = makeBrowser();
    QVERIFY(clickAnswered(view.get()));
    QVERIFY(looksMounted(view.get()));

    showDir(view.get());
    // An empty card is still mounted: the next click unmounts it.
    QVERIFY(view->isMounted());
    QVERIFY(looksMounted(view.get()));
    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
    QVERIFY(!view->LeftDeleteToolButton->isEnabled());
    QVERIFY(!view->LeftChdirToolButton->isEnabled());
    QVERIFY(!view->LeftCopyToolButton->isEnabled());
    QCOMPARE(view->RightListView->topLevelItemCount(), 1);
    QVERIFY(view->RightDeleteToolButton->isEnabled());
    QCOMPARE(calls->callsOf("umount"), QStringList());
}

void tst_TesselViewMount::realKernelRefusesMissingDevice()
{
    auto view = makeBrowser();
    calls.reset();
    data->device = dirs->path() + "/no-such-device";

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    {
        StdoutCapture out;
        QVERIFY(cardAnswers(view.get(), [&view] { view->mountDevice(); }));
    }
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QCOMPARE(answerer.captions, QStringList("mount flashdisk"));
    const QRegularExpressionMatch match =
        QRegularExpression("^no success\\n(.+)\\nerrno = (\\d+)$").match(answerer.texts.value(0));
    QVERIFY2(match.hasMatch(), qPrintable(answerer.texts.value(0)));
    const int err = match.captured(2).toInt();
    QVERIFY(err != 0);
    QCOMPARE(match.captured(1), QString::fromLocal8Bit(strerror(err)));
}

void tst_TesselViewMount::overlongNamesRefused_data()
{
    QTest::addColumn<int>("deviceLength");
    QTest::addColumn<int>("mountPointLength");
    QTest::addColumn<bool>("refused");
    QTest::newRow("device of 255") << 255 << 10 << false;
    QTest::newRow("device of 256") << 256 << 10 << true;
    QTest::newRow("mount point of 255") << 10 << 255 << false;
    QTest::newRow("mount point of 300") << 10 << 300 << true;
}

void tst_TesselViewMount::overlongNamesRefused()
{
    QFETCH(int, deviceLength);
    QFETCH(int, mountPointLength);
    QFETCH(bool, refused);
    auto view = makeBrowser();
    const QString device = "/" + QString(deviceLength - 1, 'd');
    const QString mountPoint = "/" + QString(mountPointLength - 1, 'm');
    data->device = device;
    data->mountPoint = mountPoint;

    ModalAnswerer answerer;
    if (refused)
        answerer.answerMessageBox(QMessageBox::Ok);
    QVERIFY(cardAnswers(view.get(), [&view] { view->mountDevice(); }));
    QCOMPARE(answerer.pending(), 0);
    if (refused) {
        QCOMPARE(calls->callsOf("mount"), QStringList());
        QCOMPARE(answerer.captions, QStringList("mount flashdisk"));
        QCOMPARE(answerer.texts,
                 QStringList("no success\ndevice or mount point is longer than 255 characters"));
    } else {
        QCOMPARE(calls->callsOf("mount"),
                 QStringList(QString("mount %1 %2 vfat c0ed0000 null").arg(device, mountPoint)));
    }
}

void tst_TesselViewMount::unmountClick_data()
{
    QTest::addColumn<int>("umountErrno");
    QTest::newRow("unmount works") << 0;
    QTest::newRow("card busy") << EBUSY;
}

void tst_TesselViewMount::unmountClick()
{
    QFETCH(int, umountErrno);
    QVERIFY(touch(pictures() + "/a.jpg"));
    QVERIFY(TestUtils::writePicture(right() + "/b.jpg", QSize(40, 30)));
    calls->mounted = true;
    auto view = makeBrowser();
    QVERIFY(view->isMounted());
    QCOMPARE(view->RightListView->topLevelItemCount(), 1);
    calls->umountErrno = umountErrno;

    ModalAnswerer answerer;
    if (umountErrno)
        answerer.answerMessageBox(QMessageBox::Ok);
    QVERIFY(clickAnswered(view.get()));

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(calls->callsOf("umount"), QStringList("umount " + mountPoint()));
    // A card that stayed mounted still shows so.
    const bool stillMounted = umountErrno != 0;
    QCOMPARE(view->isMounted(), stillMounted);
    QVERIFY(stillMounted ? looksMounted(view.get()) : looksUnmounted(view.get()));
    QCOMPARE(view->LeftListView->topLevelItemCount(), stillMounted ? 1 : 0);
    QCOMPARE(view->LeftDeleteToolButton->isEnabled(), stillMounted);
    QCOMPARE(view->RightListView->topLevelItemCount(), 1);
    QCOMPARE(view->RightListView->headerItem()->text(0), right());
    if (umountErrno) {
        QCOMPARE(answerer.captions, QStringList("unmount flashdisk"));
        QCOMPARE(answerer.texts, QStringList(failureText(umountErrno)));
    }

    // A destination picture offers nothing that would act on a card gone.
    view->RightListView->setCurrentItem(view->RightListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    QVERIFY(view->ShowFullToolButton->isEnabled());
    QVERIFY(view->RightDeleteToolButton->isEnabled());
    for (QToolButton *button : {view->LeftDeleteToolButton, view->LeftCopyToolButton,
                                view->LeftChdirToolButton, view->LeftThumbnailButton})
        QVERIFY2(button->isEnabled() == stillMounted, qPrintable(button->objectName()));
}

void tst_TesselViewMount::copyOfferedOnlyWithUsableDestination_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<bool>("offered");
    QTest::newRow("a folder") << "right" << true;
    QTest::newRow("a folder since removed") << "gone" << false;
    QTest::newRow("none") << "" << false;
}

void tst_TesselViewMount::copyOfferedOnlyWithUsableDestination()
{
    QFETCH(QString, destination);
    QFETCH(bool, offered);
    QVERIFY(TestUtils::writePicture(pictures() + "/a.jpg", QSize(40, 30)));
    QVERIFY(touch(pictures() + "/b.jpg"));
    data->rightPath = destination.isEmpty() ? QString() : dirs->path() + "/" + destination;
    calls->mounted = true;
    auto view = makeBrowser();
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    QVERIFY(view->LeftDeleteToolButton->isEnabled());
    QCOMPARE(view->LeftCopyToolButton->isEnabled(), offered);

    view->LeftListView->selectAll();
    QCOMPARE(view->LeftCopyToolButton->isEnabled(), offered);
}

void tst_TesselViewMount::freeSpaceUnits_data()
{
    QTest::addColumn<long>("blockSize");
    QTest::addColumn<qulonglong>("blocks");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("unit");

    QTest::newRow("9999 bytes") << 1L << 9999ULL << "9999" << "B";
    QTest::newRow("10000 bytes") << 1L << 10000ULL << "9.0" << "K";
    QTest::newRow("5000000 bytes") << 1L << 5000000ULL << "4882.0" << "K";
    QTest::newRow("9999999 bytes") << 1L << 9999999ULL << "9765.0" << "K";
    QTest::newRow("10000000 bytes") << 1L << 10000000ULL << "9.0" << "M";
    QTest::newRow("2 GiB") << 4096L << 524288ULL << "2048.0" << "M";
    QTest::newRow("64 GB card") << 32768L << 1953125ULL << "61035.0" << "M";
    QTest::newRow("nothing free") << 4096L << 0ULL << "0" << "B";
}

void tst_TesselViewMount::freeSpaceUnits()
{
    QFETCH(long, blockSize);
    QFETCH(qulonglong, blocks);
    QFETCH(QString, text);
    QFETCH(QString, unit);
    QVERIFY(touch(pictures() + "/a.jpg"));
    auto view = makeBrowser();
    calls->blockSize = blockSize;
    calls->availableBlocks = blocks;

    getFreeStorage(view.get());
    QCOMPARE(calls->callsOf("statfs").last(), "statfs " + pictures());
    QCOMPARE(view->freeText, text);
    QCOMPARE(view->freeUnit, unit);
    QCOMPARE(view->MTextLabel->text(), unit);
    QCOMPARE(view->AvailMemLCDNumber->value(), text.toDouble());
}

void tst_TesselViewMount::freeSpaceFailureKeepsDisplay()
{
    QVERIFY(touch(pictures() + "/a.jpg"));
    calls->blockSize = 1;
    calls->availableBlocks = 5000;
    auto view = makeBrowser();
    QCOMPARE(view->MTextLabel->text(), QString("B"));
    calls->statfsErrno = EIO;

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    QString printed;
    {
        StdoutCapture out;
        getFreeStorage(view.get());
        printed = diagnostics(out);
    }
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList("statfs call"));
    QCOMPARE(answerer.texts, QStringList(failureText(EIO)));
    QCOMPARE(printed, "\nTesselView::slotGetFreeStorage call for " + pictures());
    QCOMPARE(view->AvailMemLCDNumber->value(), 5000.0);
    QCOMPARE(view->MTextLabel->text(), QString("B"));
}

void tst_TesselViewMount::freeSpaceUntouchedWhileUnmounted()
{
    QVERIFY(touch(right() + "/b.jpg"));
    auto view = makeBrowser();
    QVERIFY(!view->isMounted());
    QVERIFY(view->listRight());
    getFreeStorage(view.get());
    QCOMPARE(calls->callsOf("statfs"), QStringList());
    QCOMPARE(view->MTextLabel->text(), QString("K"));
}

void tst_TesselViewMount::freeSpaceMeasuredAfterDeleteAll()
{
    QVERIFY(touch(pictures() + "/a.jpg"));
    calls->blockSize = 1;
    calls->availableBlocks = 5000;
    auto view = makeBrowser();
    QCOMPARE(view->AvailMemLCDNumber->value(), 5000.0);
    calls->availableBlocks = 7000;

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    // Nothing is proven: all of them.
    answerer.answerMessageBox(QMessageBox::YesToAll);
    view->LeftDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!QFile::exists(pictures() + "/a.jpg"));
    QCOMPARE(view->AvailMemLCDNumber->value(), 7000.0);
}

// A card whose picture folder is a link off the card lists nothing of it,
// so "delete all" cannot reach the pictures the link leads to.
void tst_TesselViewMount::cardFolderLeadingOffTheCard()
{
    QTemporaryDir elsewhere("/dev/shm/tessel-XXXXXX");
    struct stat shm, here;
    if (!elsewhere.isValid() || ::stat("/dev/shm", &shm) != 0 ||
        ::stat(QFile::encodeName(dirs->path()).constData(), &here) != 0 ||
        shm.st_dev == here.st_dev)
        QSKIP("no /dev/shm on a file system of its own");
    QVERIFY(touch(elsewhere.path() + "/mine.jpg"));
    QVERIFY(QDir(pictures()).removeRecursively());
    QVERIFY(QFile::link(elsewhere.path(), pictures()));
    calls->mounted = true;
    auto view = makeBrowser();
    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
    QVERIFY(!view->LeftDeleteToolButton->isEnabled());

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    QVERIFY(clickAnswered(view.get())); // unmounts
    QVERIFY(!calls->mounted);
    view->MountPushButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(answerer.pending(), 0, 5000);
    QCOMPARE(answerer.captions, QStringList("mount flashdisk"));
    QCOMPARE(answerer.texts, QStringList("the picture folder is not on the card"));
    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
    QVERIFY(!view->LeftDeleteToolButton->isEnabled());
    QVERIFY(QFile::exists(elsewhere.path() + "/mine.jpg"));
}

void tst_TesselViewMount::cardFailureBoxes_data()
{
    QTest::addColumn<FlashCard::Error>("error");
    QTest::addColumn<QVariant>("failure");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused mount") << FlashCard::MountFailed << QVariant(EACCES)
                                   << "mount flashdisk" << failureText(EACCES);
    QTest::newRow("service's words") << FlashCard::UnmountFailed
                                     << QVariant(QString("target is busy")) << "unmount flashdisk"
                                     << "no success\ntarget is busy";
    QTest::newRow("free space") << FlashCard::FreeSpaceFailed << QVariant(EIO) << "statfs call"
                                << failureText(EIO);
    QTest::newRow("name too long")
        << FlashCard::NameTooLong << QVariant(4095) << "mount flashdisk"
        << "no success\ndevice or mount point is longer than 4095 characters";
    QTest::newRow("no card") << FlashCard::NoCardFound << QVariant() << "mount flashdisk"
                             << "no card found";
}

// What the card reports comes up as data; the words are the window's.
void tst_TesselViewMount::cardFailureBoxes()
{
    QFETCH(FlashCard::Error, error);
    QFETCH(QVariant, failure);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    FlashCard card(data.get());
    QWidget window;
    QPushButton button(&window);
    QLCDNumber number(&window);
    QLabel unit(&window);
    CardPanel panel(&window, card, data.get(), &button, &number, &unit);
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    emit card.failed(error, failure);
    QCOMPARE(answerer.captions, QStringList(caption));
    QCOMPARE(answerer.texts, QStringList(text));
}

QTEST_MAIN(tst_TesselViewMount)
#include "tst_tesselview_mount.moc"
