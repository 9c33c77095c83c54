#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "browser/picturecopy.h"
#include "testutils.h"

// The browser's helpers on their own: they report through signals and
// results, and never open a box.
class tst_BrowserHelpers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/no-bus"); }
    void copyReturnsOutcomes_data();
    void copyReturnsOutcomes();
};

void tst_BrowserHelpers::copyReturnsOutcomes_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<int>("checked");
    QTest::addColumn<int>("copied");
    QTest::newRow("nothing in the way") << "none" << int(PictureCopy::Ready)
                                        << int(PictureCopy::Copied);
    QTest::newRow("a file of the name, kept") << "file" << int(PictureCopy::Exists)
                                              << int(PictureCopy::Failed);
    QTest::newRow("the picture gone meanwhile") << "gone" << int(PictureCopy::Ready)
                                                << int(PictureCopy::Failed);
}

void tst_BrowserHelpers::copyReturnsOutcomes()
{
    QFETCH(QString, destination);
    QFETCH(int, checked);
    QFETCH(int, copied);
    QTemporaryDir dirs;
    QVERIFY(QDir().mkpath(dirs.filePath("from")) && QDir().mkpath(dirs.filePath("to")));
    QVERIFY(TestUtils::writePicture(dirs.filePath("from/a.jpg"), QSize(8, 8)));
    if (destination == "file")
        QVERIFY(TestUtils::touch(dirs.filePath("to/a.jpg"), 3));

    Worker worker;
    char buffer[4097];
    PictureCopy copier(worker, buffer, sizeof buffer);
    QVERIFY(copier.begin(dirs.filePath("from"), dirs.filePath("to")));
    const auto files = PictureCopy::Transfer::whole(
        {std::make_shared<const Folder>(dirs.filePath("from")), "a.jpg", {}, {}});
    QCOMPARE(int(copier.check(files).outcome), checked);
    if (destination == "gone")
        QVERIFY(QFile::remove(dirs.filePath("from/a.jpg")));
    const PictureCopy::Result result = copier.copy(files, PictureCopy::NoReplace);
    QCOMPARE(int(result.outcome), copied);
    QCOMPARE(result.outcome == PictureCopy::Failed, !result.reason.isEmpty() || result.quietAlone);
    QCOMPARE(TestUtils::readFile(dirs.filePath("to/a.jpg")).size() == 3, destination == "file");
}

QTEST_MAIN(tst_BrowserHelpers)
#include "tst_browserhelpers.moc"
