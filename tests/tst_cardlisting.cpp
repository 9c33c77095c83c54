#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "platform/cardlisting.h"
#include "testutils.h"

using Listed = CardListing::Listed;

// What a source folder lists: its own files, camera folders, pairs, sidecars.
class tst_CardListing : public QObject
{
    Q_OBJECT
private slots:
    void cameraFolderName_data();
    void cameraFolderName();
    void listed_data();
    void listed();
    void pairCarriesItsFilesInItsOwnFolder();
    void sameDevice();

private:
    // Makes each path below `root`; "name@target" is a link to target.
    static bool make(const QString &root, const QStringList &paths)
    {
        for (const QString &path : paths) {
            const QString full = root + "/" + path.section('@', 0, 0);
            if (!QDir().mkpath(QFileInfo(full).path()))
                return false;
            if (path.contains('@') ? !QFile::link(path.section('@', 1), full)
                                   : !TestUtils::touch(full, 10))
                return false;
        }
        return true;
    }
};

void tst_CardListing::cameraFolderName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("accepted");
    for (const char *name : {"100CANON", "999_PANA", "100canon", "123abc_9"})
        QTest::newRow(name) << QByteArray(name) << true;
    for (const char *name : {"099CANON", "10CANONX", "100CANO", "100CANONS", "100-CANO",
                             ".100CANO", "A00CANON", "100CAN\xc3\xa4"})
        QTest::newRow(name) << QByteArray(name) << false;
}

void tst_CardListing::cameraFolderName()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, accepted);
    QCOMPARE(CardListing::isCameraFolderName(name), accepted);
}

void tst_CardListing::listed_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("fileExt");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("no camera folders: as before")
        << QStringList{"b.jpg", "A.JPG", "c.png", ".hidden.jpg", "sub/x.jpg"} << "jpg"
        << QStringList{"A.JPG", "b.jpg"};
    QTest::newRow("own first, then camera folders in name order")
        << QStringList{"z.jpg", "101CANON/a.jpg", "100CANON/b.jpg", "100CANON/a.jpg"} << "jpg"
        << QStringList{"z.jpg", "100CANON/a.jpg", "100CANON/b.jpg", "101CANON/a.jpg"};
    QTest::newRow("hidden and other folders left out")
        << QStringList{".100CANON/a.jpg", "MISC/a.jpg", "100CANONX/a.jpg", "100_PANA/c.jpg",
                       "100_PANA/.d.jpg"}
        << "jpg" << QStringList{"100_PANA/c.jpg"};
    QTest::newRow("link to a folder not followed")
        << QStringList{"real/a.jpg", "100LINKS@real"} << "jpg" << QStringList();
    QTest::newRow("several kinds, any case")
        << QStringList{"a.JPG", "b.cr2", "c.HIF", "d.mov", "e.txt"} << "jpg, CR2 hif,mov"
        << QStringList{"a.JPG", "b.cr2", "c.HIF", "d.mov"};
    QTest::newRow("RAW with JPEG joined, RAW alone kept")
        << QStringList{"IMG_0001.JPG", "IMG_0001.CR2", "IMG_0002.CR2"} << "jpg,cr2"
        << QStringList{"IMG_0001.JPG+CR2", "IMG_0002.CR2"};
    QTest::newRow("pair only when both kinds are asked for")
        << QStringList{"IMG_0001.JPG", "IMG_0001.CR2"} << "jpg" << QStringList{"IMG_0001.JPG"};
    QTest::newRow("pair in a camera folder keeps the RAW's case")
        << QStringList{"100CANON/IMG_1.jpg", "100CANON/IMG_1.nef"} << "jpg nef"
        << QStringList{"100CANON/IMG_1.jpg+nef"};
    QTest::newRow("listed sidecar goes with its video")
        << QStringList{"MVI_1.MOV", "MVI_1.THM", "lone.thm"} << "mov,thm"
        << QStringList{"MVI_1.MOV", "lone.thm"};
}

void tst_CardListing::listed()
{
    QFETCH(QStringList, files);
    QFETCH(QString, fileExt);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    QVERIFY(make(dir.path(), files));
    QList<Listed> listed;
    QVERIFY(CardListing::list(std::make_shared<Folder>(dir.path()),
                              Folder::extensionPatterns(fileExt), &listed));
    QStringList texts;
    for (const Listed &entry : listed)
        texts << entry.shown;
    QCOMPARE(texts, shown);
}

void tst_CardListing::pairCarriesItsFilesInItsOwnFolder()
{
    QTemporaryDir dir;
    QVERIFY(make(dir.path(), {"100CANON/IMG_0001.xmp", "100CANON/IMG_0001.THM",
                              "100CANON/IMG_0002.THM"}));
    QVERIFY(TestUtils::touch(dir.path() + "/100CANON/IMG_0001.JPG", 100));
    QVERIFY(TestUtils::touch(dir.path() + "/100CANON/IMG_0001.CR2", 1000));
    QList<Listed> listed;
    QVERIFY(CardListing::list(std::make_shared<Folder>(dir.path()), {"*.jpg", "*.cr2"}, &listed));
    QCOMPARE(listed.size(), 1);
    const Listed &pair = listed.first();
    QCOMPARE(pair.subfolder, QByteArray("100CANON"));
    QCOMPARE(pair.size, qint64(1100));
    QCOMPARE(CardListing::deleteOrder(pair),
             QList<QByteArray>({"IMG_0001.THM", "IMG_0001.xmp", "IMG_0001.CR2", "IMG_0001.JPG"}));
    struct stat st;
    QVERIFY(pair.folder->status(pair.name, &st));
    QCOMPARE(qint64(st.st_size), qint64(100));
}

void tst_CardListing::sameDevice()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    const Folder top(dir.path());
    QVERIFY(CardListing::sameDevice(top, Folder(top, "sub")));
    QVERIFY(!CardListing::sameDevice(top, Folder("/proc")));
    QVERIFY(!CardListing::sameDevice(top, Folder(top, "missing")));
}

QTEST_GUILESS_MAIN(tst_CardListing)
#include "tst_cardlisting.moc"
