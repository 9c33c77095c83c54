#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "cardlisting.h"
#include "filekind.h"
#include "testutils.h"

using Listed = CardListing::Listed;

namespace {

// The entry as "folder/name", the way the tables below write it; the shown
// text itself is only the name.
QString withFolder(const Listed &entry)
{
    return entry.subfolder.isEmpty() ? entry.shown : entry.folderShown() + "/" + entry.shown;
}

} // namespace

Q_DECLARE_METATYPE(CardListing::Result)

// What a source folder lists: its own files, camera folders, pairs, sidecars.
class tst_CardListing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cameraFolderName_data();
    void cameraFolderName();
    void listed_data();
    void listed();
    void cardLayouts_data();
    void cardLayouts();
    void hiddenKinds_data();
    void hiddenKinds();
    void pairCarriesItsFilesInItsOwnFolder();
    void folderReplacedAfterListingIsGone();
    void descriptorLimit_data();
    void descriptorLimit();
    void sameDevice();

private:
    // A card as cameras and phones lay it out, listed from its DCIM.
    QTemporaryDir card;
    QString dcim() const { return card.filePath("DCIM"); }
    static QList<Listed> listCard(const QString &top, const QString &fileExt,
                                  CardListing::Hidden *hidden = nullptr)
    {
        QList<Listed> listed;
        const CardListing::Result result = CardListing::list(
            std::make_shared<Folder>(top), Folder::extensionPatterns(fileExt), &listed, hidden);
        return result == CardListing::Result::Listed ? listed : QList<Listed>();
    }

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

void tst_CardListing::initTestCase()
{
    QVERIFY(make(card.path(),
                 {"DCIM/top.jpg", "DCIM/Camera/IMG_20260101.jpg", "DCIM/100ANDRO/DSC_0001.JPG",
                  "DCIM/MISC/order.jpg", "DCIM/.thumbnails/t.jpg", "DCIM/_thumbnail/top.jpg",
                  "DCIM/100CANON/IMG_0001.CRW", "DCIM/100CANON/IMG_0001.THM",
                  "DCIM/100CANON/MVI_0002.AVI", "DCIM/100CANON/MVI_0002.THM",
                  "DCIM/100CANON/IMG_0003.JPG", "DCIM/100CANON/IMG_0003.XMP",
                  "DCIM/100CANON/IMG_0003.WAV", "DCIM/100GOPRO/GOPR0004.GPR",
                  "DCIM/100GOPRO/GOPR0004.JPG", "PRIVATE/M4ROOT/CLIP/C0001.MP4",
                  "PRIVATE/M4ROOT/CLIP/C0001M01.XML", "PRIVATE/M4ROOT/THMBNL/C0001T01.JPG",
                  "PRIVATE/AVCHD/BDMV/STREAM/00000.MTS", "MP_ROOT/100ANV01/MAH00001.MP4",
                  "MP_ROOT/100ANV01/MAH00001.THM", "MP_ROOT/101LINK@../PRIVATE",
                  "elsewhere/100CANON/x.jpg"}));
}

void tst_CardListing::cameraFolderName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("underDcim");
    QTest::addColumn<bool>("accepted");
    for (const char *name : {"100CANON", "999_PANA", "100canon", "123abc_9"})
        QTest::newRow(name) << QByteArray(name) << false << true;
    for (const char *name : {"099CANON", "10CANONX", "100CANO", "100CANONS", "100-CANO",
                             ".100CANO", "A00CANON", "100CAN\xc3\xa4", "Camera"})
        QTest::newRow(name) << QByteArray(name) << false << false;
    for (const char *name : {"Camera", "100ANDRO", "100CANON", "Screenshots"})
        QTest::newRow(QByteArray("DCIM/") + name) << QByteArray(name) << true << true;
    for (const char *name : {"MISC", "misc", ".thumbnails", "_thumbnail", "THUMBNAILS"})
        QTest::newRow(QByteArray("DCIM/") + name) << QByteArray(name) << true << false;
}

void tst_CardListing::cameraFolderName()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, underDcim);
    QFETCH(bool, accepted);
    QCOMPARE(underDcim ? CardListing::isDcimFolderName(name)
                       : CardListing::isCameraFolderName(name),
             accepted);
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
    QTest::newRow("CRW and GPR paired like any RAW")
        << QStringList{"IMG_1.JPG", "IMG_1.CRW", "GOPR2.JPG", "GOPR2.GPR"}
        << FileKind::shownExtensions() << QStringList{"GOPR2.JPG+GPR", "IMG_1.JPG+CRW"};
    QTest::newRow("AVI, MTS and M2TS are videos")
        << QStringList{"a.AVI", "b.MTS", "c.m2ts", "a.THM"} << FileKind::shownExtensions()
        << QStringList{"a.AVI", "b.MTS", "c.m2ts"};
    QTest::newRow("not DCIM: only DCF names are camera folders")
        << QStringList{"Camera/a.jpg", "100ANDRO/b.jpg"} << "jpg" << QStringList{"100ANDRO/b.jpg"};
}

void tst_CardListing::listed()
{
    QFETCH(QStringList, files);
    QFETCH(QString, fileExt);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    QVERIFY(make(dir.path(), files));
    QStringList texts;
    for (const Listed &entry : listCard(dir.path(), fileExt))
        texts << withFolder(entry);
    QCOMPARE(texts, shown);
}

// Each entry of the card in its place in the listing, with every file that
// goes with it.
void tst_CardListing::cardLayouts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("subfolder");
    QTest::addColumn<QList<QByteArray>>("files");
    // The card's order: DCIM's own, its camera folders, the videos beside it.
    const QList<std::tuple<const char *, const char *, QList<QByteArray>>> rows = {
        {"top.jpg", "", {"top.jpg"}},
        {"100ANDRO/DSC_0001.JPG", "100ANDRO", {"DSC_0001.JPG"}},
        {"100CANON/IMG_0001.CRW", "100CANON", {"IMG_0001.CRW", "IMG_0001.THM"}},
        {"100CANON/IMG_0003.JPG", "100CANON", {"IMG_0003.JPG", "IMG_0003.WAV", "IMG_0003.XMP"}},
        {"100CANON/MVI_0002.AVI", "100CANON", {"MVI_0002.AVI", "MVI_0002.THM"}},
        {"100GOPRO/GOPR0004.JPG+GPR", "100GOPRO", {"GOPR0004.JPG", "GOPR0004.GPR"}},
        {"Camera/IMG_20260101.jpg", "Camera", {"IMG_20260101.jpg"}},
        {"CLIP/C0001.MP4", "../PRIVATE/M4ROOT/CLIP", {"C0001.MP4", "C0001M01.XML"}},
        {"STREAM/00000.MTS", "../PRIVATE/AVCHD/BDMV/STREAM", {"00000.MTS"}},
        {"100ANV01/MAH00001.MP4", "../MP_ROOT/100ANV01", {"MAH00001.MP4", "MAH00001.THM"}},
    };
    int position = 0;
    for (const auto &[shown, subfolder, files] : rows)
        QTest::newRow(shown) << position++ << QByteArray(subfolder) << files;
}

void tst_CardListing::cardLayouts()
{
    QFETCH(int, position);
    QFETCH(QByteArray, subfolder);
    QFETCH(QList<QByteArray>, files);
    const QList<Listed> listed = listCard(dcim(), FileKind::shownExtensions());
    QCOMPARE(listed.size(), 10);
    const Listed &entry = listed.at(position);
    QCOMPARE(withFolder(entry), QString(QTest::currentDataTag()));
    QCOMPARE(entry.subfolder, subfolder);
    QCOMPARE(entry.entry.files(), files);
    struct stat st;
    const auto folder = entry.entry.folder();
    QVERIFY(folder && folder->status(entry.entry.name, &st));
}

void tst_CardListing::hiddenKinds_data()
{
    QTest::addColumn<QString>("fileExt");
    QTest::addColumn<CardListing::Hidden>("hidden");
    QTest::newRow("JPEG only: the RAW files and videos")
        << "jpg"
        << CardListing::Hidden{{"AVI", 1}, {"CRW", 1}, {"GPR", 1}, {"MP4", 2}, {"MTS", 1}};
    QTest::newRow("every kind: none") << FileKind::shownExtensions() << CardListing::Hidden();
    QTest::newRow("side files are no camera files")
        << "jpg crw gpr avi mp4 mts" << CardListing::Hidden();
}

void tst_CardListing::hiddenKinds()
{
    QFETCH(QString, fileExt);
    QFETCH(CardListing::Hidden, hidden);
    CardListing::Hidden counted{{"stale", 1}};
    QVERIFY(!listCard(dcim(), fileExt, &counted).isEmpty());
    QCOMPARE(counted, hidden);
}

void tst_CardListing::pairCarriesItsFilesInItsOwnFolder()
{
    QTemporaryDir dir;
    QVERIFY(make(dir.path(), {"100CANON/IMG_0001.xmp", "100CANON/IMG_0001.THM",
                              "100CANON/IMG_0002.THM"}));
    QVERIFY(TestUtils::touch(dir.path() + "/100CANON/IMG_0001.JPG", 100));
    QVERIFY(TestUtils::touch(dir.path() + "/100CANON/IMG_0001.CR2", 1000));
    const QList<Listed> listed = listCard(dir.path(), "jpg cr2");
    QCOMPARE(listed.size(), 1);
    const Listed &pair = listed.first();
    QCOMPARE(pair.subfolder, QByteArray("100CANON"));
    QCOMPARE(pair.size, qint64(1100));
    QCOMPARE(pair.entry.removalOrder(),
             QList<QByteArray>({"IMG_0001.THM", "IMG_0001.xmp", "IMG_0001.CR2", "IMG_0001.JPG"}));
    struct stat st;
    QVERIFY(pair.entry.folder()->status(pair.entry.name, &st));
    QCOMPARE(qint64(st.st_size), qint64(100));
}

// Opened again after its last use, a camera folder must be the one listed:
// another put in its place meanwhile is not the user's selection.
void tst_CardListing::folderReplacedAfterListingIsGone()
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i <= FolderSet::keptOpen; ++i)
        files << QString::asprintf("%03dCANON/a.jpg", 100 + i);
    QVERIFY(make(dir.path(), files));
    const QList<Listed> listed = listCard(dir.path(), "jpg");
    QCOMPARE(listed.size(), files.size());
    QVERIFY(QDir(dir.path()).rename("100CANON", "old"));
    QVERIFY(make(dir.path(), {"100CANON/a.jpg"}));
    QVERIFY(!listed.first().entry.folder());
    QVERIFY(listed.last().entry.folder());
    QVERIFY(listed.first().entry.sameAs(listed.first().entry));
    QVERIFY(!listed.first().entry.sameAs(listed.last().entry));
}

void tst_CardListing::descriptorLimit_data()
{
    QTest::addColumn<int>("folders");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("exhausted");
    QTest::addColumn<CardListing::Result>("result");
    QTest::newRow("1,500 camera folders under 1,024 descriptors: all listed")
        << 1500 << 1024 << false << CardListing::Result::Listed;
    QTest::newRow("no descriptor left: nothing listed rather than part")
        << 20 << 256 << true << CardListing::Result::OutOfDescriptors;
}

// In a child, whose descriptor limit the test may lower.
void tst_CardListing::descriptorLimit()
{
    QFETCH(int, folders);
    QFETCH(int, limit);
    QFETCH(bool, exhausted);
    QFETCH(CardListing::Result, result);
    QTemporaryDir dir;
    for (int i = 0; i < folders; ++i) {
        const QString folder = dir.filePath(QString::asprintf("%03d_%04d", 100 + i % 900, i));
        QVERIFY(QDir().mkdir(folder) && TestUtils::touch(folder + "/IMG_0001.JPG"));
    }
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const rlimit files{rlim_t(limit), rlim_t(limit)};
        setrlimit(RLIMIT_NOFILE, &files);
        auto top = std::make_shared<Folder>(dir.path());
        std::vector<int> held;
        // All but one: the top folder is read, its camera folders are not.
        for (int fd; exhausted && (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            held.push_back(fd);
        if (!held.empty())
            ::close(held.back());
        QList<Listed> listed;
        bool right = CardListing::list(top, {"*.jpg"}, &listed) == result &&
                     listed.size() == (exhausted ? 0 : folders);
        for (const Listed &entry : listed) {
            struct stat st;
            const auto folder = entry.entry.folder();
            right = right && folder && folder->status(entry.entry.name, &st);
        }
        _exit(right ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the listing aborted");
    QCOMPARE(WEXITSTATUS(status), 0);
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
