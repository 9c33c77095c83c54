#include <QSignalSpy>
#include <QTest>

#include <cerrno>

#include "flashcard.h"
#include "tesselsettings.h"
#include "fakesystemcalls.h"
#include "testutils.h"

// The card on its own, through the kernel's calls: requests return at once,
// and what came of them is told by signals, in this order.
class tst_FlashCard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/no-bus"); }
    void init();
    void answers_data();
    void answers();
    void freeSpaceThroughSignals();

private:
    std::unique_ptr<FakeSystemCalls> calls;
    std::unique_ptr<TesselSettings> settings;
    std::unique_ptr<FlashCard> card;
    QStringList heard;
};

void tst_FlashCard::init()
{
    card.reset();
    calls.reset();
    calls = std::make_unique<FakeSystemCalls>();
    settings = std::make_unique<TesselSettings>();
    settings->device = "/dev/tessel-card";
    settings->mountPoint = "/mnt/tessel";
    settings->flashPath = "dcim";
    card = std::make_unique<FlashCard>(settings.get());
    heard.clear();
    connect(card.get(), &FlashCard::stateChanged, this,
            [this](bool mounted) { heard << QString("state %1").arg(mounted); });
    connect(card.get(), &FlashCard::failed, this,
            [this](FlashCard::Error error, const QVariant &data) {
                heard << QString("failed %1 %2").arg(error).arg(data.toString());
            });
    connect(card.get(), &FlashCard::mountFinished, this,
            [this](const QString &folder) { heard << "mounted " + folder; });
    connect(card.get(), &FlashCard::mountPointFound, this,
            [this](const QString &folder) { heard << "found " + folder; });
}

void tst_FlashCard::answers_data()
{
    QTest::addColumn<bool>("mountedBefore");
    QTest::addColumn<int>("err");
    QTest::addColumn<bool>("mountedAfter");
    QTest::addColumn<QStringList>("told");
    const QString failedMount = QString("failed %1 ").arg(FlashCard::MountFailed);
    const QString failedUnmount = QString("failed %1 ").arg(FlashCard::UnmountFailed);
    QTest::newRow("mount works") << false << 0 << true
                                 << QStringList{"state 1", "mounted /mnt/tessel/dcim"};
    QTest::newRow("mount fails, nothing there")
        << false << ENODEV << false << QStringList{failedMount + QString::number(ENODEV)};
    QTest::newRow("mount busy: mounted by someone else")
        << true << EBUSY << true
        << QStringList{failedMount + QString::number(EBUSY), "state 1",
                       "found /mnt/tessel/dcim"};
    QTest::newRow("unmount works") << true << 0 << false << QStringList{"state 0"};
    // The fault once seen: a card still in use was shown as unmounted.
    QTest::newRow("unmount busy: still mounted")
        << true << EBUSY << true << QStringList{failedUnmount + QString::number(EBUSY)};
}

void tst_FlashCard::answers()
{
    QFETCH(bool, mountedBefore);
    QFETCH(int, err);
    QFETCH(bool, mountedAfter);
    QFETCH(QStringList, told);
    const bool unmounting = QString(QTest::currentDataTag()).startsWith("unmount");
    calls->mounted = mountedBefore;
    if (unmounting) {
        card->judgeListing(false);
        heard.clear();
    }
    (unmounting ? calls->umountErrno : calls->mountErrno) = err;
    QSignalSpy answered(card.get(), &FlashCard::answered);

    unmounting ? card->unmount() : card->mount();
    QVERIFY(heard.isEmpty());
    QVERIFY(card->isBusy());
    QVERIFY(answered.wait(5000));
    QCOMPARE(heard, told);
    QCOMPARE(card->isMounted(), mountedAfter);
    QVERIFY(!card->isBusy());
    QCOMPARE(answered.size(), 1);
}

void tst_FlashCard::freeSpaceThroughSignals()
{
    calls->blockSize = 1;
    calls->availableBlocks = 5000;
    QSignalSpy free(card.get(), &FlashCard::freeSpaceChanged);
    QVERIFY(card->measureFree("/"));
    QCOMPARE(free.size(), 1);
    QCOMPARE(free.first(), (QVariantList{"5000", "B"}));

    calls->statfsErrno = EIO;
    QSignalSpy failed(card.get(), &FlashCard::failed);
    QVERIFY(!card->measureFree("/"));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(0).value<FlashCard::Error>(), FlashCard::FreeSpaceFailed);
    QCOMPARE(failed.first().at(1).toInt(), EIO);
    QCOMPARE(free.size(), 1);
    QCOMPARE(card->freeText(), QString("5000"));
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

QTEST_MAIN(tst_FlashCard)
#include "tst_flashcard.moc"
