#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <QProcess>

#include "tesselview.h"
#include "flashcard.h"
#include "tesselsettings.h"
#include "tesseldata.h"

#include "testutils.h"
#include "udiskstestbed.h"

// The card found through udisks2 without a device in the settings.
class tst_UDisksFindCard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cardFound_data();
    void cardFound();
    void mountButtonListsTheFoundCard();
    void noServiceNoCard();
    void cleanup();

private:
    // The signal's device and mount point; empty when it did not come.
    static QStringList find()
    {
        UDisksClient client;
        QSignalSpy found(&client, &UDisksClient::cardFound);
        client.findCard();
        if (!found.wait(20000))
            return {};
        return {found[0][0].toString(), found[0][1].toString()};
    }

    QTemporaryDir folders;
    UDisksTestBed bed;
    QString missing;
    // Cards of others that a test mounted by finding them.
    QStringList othersMounted;
};

// Three card images: the first, on the lowest loop device, holds no DCIM;
// the two others hold the same pictures. Cards of others may be present too.
void tst_UDisksFindCard::initTestCase()
{
    QVERIFY(QDir().mkpath(folders.filePath("other/notes")));
    QVERIFY(QDir().mkpath(folders.filePath("card/DCIM/100TEST")));
    QVERIFY(TestUtils::writePicture(folders.filePath("card/DCIM/100TEST/a.jpg"), QSize(8, 8)));
    // A camera folder by the rule (three digits, five characters).
    QVERIFY(QDir().mkpath(folders.filePath("card/DCIM/101TESTS")));
    QVERIFY(TestUtils::writePicture(folders.filePath("card/DCIM/101TESTS/b.jpg"), QSize(8, 8)));
    QVERIFY(QProcess::execute("cp", {"-a", folders.filePath("card"), folders.filePath("second")}) == 0);
    missing = bed.start(
        {folders.filePath("other"), folders.filePath("card"), folders.filePath("second")});
}

void tst_UDisksFindCard::cardFound_data()
{
    QTest::addColumn<bool>("mountedBefore");
    QTest::newRow("mounted to look, the other unmounted again") << false;
    QTest::newRow("both mounted before: found where it is, the other left") << true;
}

void tst_UDisksFindCard::cardFound()
{
    QFETCH(bool, mountedBefore);
    if (!missing.isEmpty())
        QSKIP(qPrintable("no udisks2 test bed: " + missing));
    const QString other = bed.devices.value(0);
    if (mountedBefore) {
        for (const QString &device : bed.devices)
            QCOMPARE(bed.udisksctl("mount", device), 0);
    }
    TesselSettings settings;
    settings.mountPoint = folders.filePath("nowhere");
    FlashCard card(&settings);
    QSignalSpy mounted(&card, &FlashCard::mountFinished);
    QString printed;
    {
        TestUtils::StdoutCapture out;
        card.findCard();
        QVERIFY(mounted.wait(20000));
        printed = TestUtils::diagnostics(out);
    }
    // One of the cards holding DCIM, ours or another's, and the program
    // says which.
    const QString device = card.foundDevice();
    QVERIFY(!device.isEmpty());
    QCOMPARE(card.mountPoint(), bed.mountPoint(device));
    QCOMPARE(mounted[0][0].toString(), card.mountPoint() + "/DCIM");
    QCOMPARE(UDisksClient::dcimName(card.mountPoint()), QString("DCIM"));
    QVERIFY(!card.volume().isEmpty());
    QCOMPARE(card.volume(), UDisksTestBed::volume(device));
    QVERIFY2(printed.contains("UDisksClient::findCard - card " + device + " at " +
                              card.mountPoint() + "\n"),
             qPrintable(printed));
    if (!bed.devices.contains(device))
        othersMounted << device;
    else
        QVERIFY(QFileInfo(card.mountPoint() + "/DCIM/100TEST/a.jpg").isFile());
    QCOMPARE(bed.mountPoint(other).isEmpty(), !mountedBefore);
}

// With no device set, the mount button lists the DCIM of the card found.
void tst_UDisksFindCard::mountButtonListsTheFoundCard()
{
    if (!missing.isEmpty())
        QSKIP(qPrintable("no udisks2 test bed: " + missing));
    qputenv("TESSELCFG", "/nonexistent-tessel-cfg");
    TesselData data;
    data.fileExt = "jpg";
    data.mountPoint = folders.filePath("nowhere");
    data.flashPath = "DCIM";
    data.rightPath = folders.filePath("other");
    TesselView view(nullptr, &data, QString(), data.fileExt);
    view.MountPushButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(view.isMounted(), 20000);
    if (!bed.devices.contains(view.flashCard().foundDevice()))
        othersMounted << view.flashCard().foundDevice();
    else
        QTRY_COMPARE_WITH_TIMEOUT(TestUtils::names(view.LeftListView),
                                  QStringList({"100TEST/a.jpg", "101TESTS/b.jpg"}), 20000);
    QCOMPARE(view.MountPushButton->text(), QString("unmount disk"));
}

// Without a bus, or once the test bed's is gone.
void tst_UDisksFindCard::noServiceNoCard()
{
    bed.stop();
    QCOMPARE(find(), QStringList({QString(), QString()}));
}

void tst_UDisksFindCard::cleanup()
{
    for (const QString &device : bed.devices + othersMounted) {
        if (!bed.mountPoint(device).isEmpty())
            bed.udisksctl("unmount", device);
    }
    othersMounted.clear();
}

QTEST_MAIN(tst_UDisksFindCard)
#include "tst_udisks_findcard.moc"
