#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "testutils.h"
#include "udiskstestbed.h"

namespace {

const int serviceTimeoutMs = 20000;

} // namespace

// The card found through udisks2 without a device in the settings.
class tst_UDisksFindCard : public QObject
{
    Q_OBJECT
private slots:
    void cardFound_data();
    void cardFound();
    void noServiceNoCard();
    void cleanup();
    void cleanupTestCase();

private:
    // Found device and mount point, both empty when none; false on timeout.
    static bool find(QString *device, QString *mountPoint);

    QTemporaryDir folders;
    UDisksTestBed bed;
    QString missing;
};

bool tst_UDisksFindCard::find(QString *device, QString *mountPoint)
{
    UDisksClient client;
    QSignalSpy found(&client, &UDisksClient::cardFound);
    client.findCard();
    if (!found.wait(serviceTimeoutMs) || found.size() != 1)
        return false;
    *device = found[0][0].toString();
    *mountPoint = found[0][1].toString();
    return true;
}

void tst_UDisksFindCard::cardFound_data()
{
    QTest::addColumn<bool>("mountedBefore");
    QTest::newRow("mounted to look, the other unmounted again") << false;
    QTest::newRow("both mounted before: found where it is, the other left") << true;
}

// The first image holds no DCIM; its loop device comes first.
void tst_UDisksFindCard::cardFound()
{
    QFETCH(bool, mountedBefore);
    if (bed.devices.isEmpty() && missing.isEmpty()) {
        QVERIFY(QDir().mkpath(folders.filePath("other/notes")));
        QVERIFY(QDir().mkpath(folders.filePath("card/DCIM/100TEST")));
        QVERIFY(TestUtils::writePicture(folders.filePath("card/DCIM/100TEST/a.jpg"), QSize(8, 8)));
        missing = bed.start({folders.filePath("other"), folders.filePath("card")});
        if (missing.isEmpty() && bed.devices.size() != 2)
            missing = "the script gave no two devices";
    }
    if (!missing.isEmpty())
        QSKIP(qPrintable("no udisks2 test bed: " + missing));
    const QString other = bed.devices[0];
    const QString card = bed.devices[1];
    if (mountedBefore) {
        QCOMPARE(bed.udisksctl("mount", other), 0);
        QCOMPARE(bed.udisksctl("mount", card), 0);
    }

    QString device;
    QString mountPoint;
    QVERIFY(find(&device, &mountPoint));
    QCOMPARE(device, card);
    QCOMPARE(mountPoint, bed.mountPoint(card));
    QVERIFY(QFileInfo(mountPoint + "/DCIM/100TEST/a.jpg").isFile());
    QCOMPARE(UDisksClient::dcimName(mountPoint), QString("DCIM"));
    QCOMPARE(bed.mountPoint(other).isEmpty(), !mountedBefore);
}

// Runs without a bus, or after the test bed's bus is gone.
void tst_UDisksFindCard::noServiceNoCard()
{
    bed.stop();
    QString device = "unset";
    QString mountPoint = "unset";
    QVERIFY(find(&device, &mountPoint));
    QCOMPARE(device, QString());
    QCOMPARE(mountPoint, QString());
    QCOMPARE(UDisksClient::noCardText(), QString("no card found"));
}

void tst_UDisksFindCard::cleanup()
{
    for (const QString &device : bed.devices) {
        if (!bed.mountPoint(device).isEmpty())
            bed.udisksctl("unmount", device);
    }
}

void tst_UDisksFindCard::cleanupTestCase()
{
    bed.stop();
}

QTEST_GUILESS_MAIN(tst_UDisksFindCard)
#include "tst_udisks_findcard.moc"
