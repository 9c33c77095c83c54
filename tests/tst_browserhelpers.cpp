#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include "browser/flashcard.h"
#include "jobs/picturecopy.h"
#include "fakesystemcalls.h"
#include "testutils.h"

// The card on its own: it reports through signals and never opens a box.
class tst_BrowserHelpers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/no-bus"); }
    void cardReportsThroughSignals();
};

void tst_BrowserHelpers::cardReportsThroughSignals()
{
    FakeSystemCalls calls;
    FlashCard card;
    QSignalSpy state(&card, &FlashCard::stateChanged);
    QSignalSpy free(&card, &FlashCard::freeSpaceChanged);
    QSignalSpy failed(&card, &FlashCard::failed);

    card.setMounted(true);
    card.setMounted(true);
    QCOMPARE(state.size(), 1);
    QVERIFY(card.measureFree("/"));
    QCOMPARE(free.size(), 1);
    QCOMPARE(free.first().at(0).toString(), card.freeText());

    calls.mountErrno = EBUSY;
    QCOMPARE(card.mount("/dev/tessel-card", "/mnt/tessel"), -1);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(0).toString(), QString("mount flashdisk"));
    QVERIFY(failed.first().at(1).toString().startsWith("no success\n"));
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

QTEST_MAIN(tst_BrowserHelpers)
#include "tst_browserhelpers.moc"
