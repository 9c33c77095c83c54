#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "filecopy.h"
#include "folder.h"
#include "replacementfile.h"
#include "testutils.h"

using TestUtils::writeFile;

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 4096) & 0xff);
    return bytes;
}

// Not the shared readFile: an unreadable copy must never compare equal to
// an empty original.
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Files in a folder, hidden ones and dangling links included: a failed
// copy leaves nothing behind.
QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

struct stat statOf(const QString &path, bool followLinks = true)
{
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    followLinks ? stat(name.constData(), &st) : lstat(name.constData(), &st);
    return st;
}

} // namespace

class tst_FileCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void copiesEveryByte_data();
    void copiesEveryByte();
    void replacesExistingDestination();
    void neverReplacesARacingFile_data();
    void neverReplacesARacingFile();
    void newFileGetsTheUsualMode_data();
    void newFileGetsTheUsualMode();
    void refusesTheSameFile_data();
    void refusesTheSameFile();
    void missingSource();
    void readErrorKeepsDestination();
    void fullDiskKeepsDestination();
    void readOnlyFolderKeepsDestination();
    void replacementKeepsIdentity();
    void linkedDestinationStaysALink();
    void changingSourceIsNeverCopied_data();
    void changingSourceIsNeverCopied();
    void crashLeavesNothingBehind_data();
    void crashLeavesNothingBehind();
    void cancelLeavesNothingBehind_data() { crashLeavesNothingBehind_data(); }
    void cancelLeavesNothingBehind();
    void onlyOurLeftoversRemoved();
    void longNamesCopy_data();
    void longNamesCopy();
    void copiesByteNames();
    void changedCopyIsNeverNamed_data() { crashLeavesNothingBehind_data(); }
    void changedCopyIsNeverNamed();
    void folderFlushedAfterTheName();
    void refusedNameEndsOnlyThatFile();
    void failureReach_data();
    void failureReach();
    void sameBytes_data();
    void sameBytes();
    void insideTree_data();
    void insideTree();

private:
    QTemporaryDir src, dst;
    char buffer[4097];
};

void tst_FileCopy::init()
{
    QVERIFY(src.isValid() && dst.isValid());
    for (const QString &dir : {src.path(), dst.path()}) {
        QDir d(dir);
        for (const QString &f : filesIn(dir))
            d.remove(f);
    }
}

void tst_FileCopy::copiesEveryByte_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one short block") << 904;
    QTest::newRow("exactly one block") << 4096;
    QTest::newRow("one block and a short one") << 5000;
    QTest::newRow("exactly two blocks") << 8192;
    QTest::newRow("a photo's size") << 3 * 1024 * 1024 + 17;
}

void tst_FileCopy::copiesEveryByte()
{
    QFETCH(int, size);
    const QByteArray bytes = pattern(size);
    QVERIFY(writeFile(src.filePath("a.jpg"), bytes));

    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg")), FileCopy::Copied);
    QCOMPARE(readAll(dst.filePath("a.jpg")), bytes);
    QCOMPARE(filesIn(dst.path()), QStringList{"a.jpg"});
    QCOMPARE(copy.error(), 0);
}

void tst_FileCopy::replacesExistingDestination()
{
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(5000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), QByteArray(20000, 'o')));
    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg")), FileCopy::Copied);
    QCOMPARE(readAll(dst.filePath("a.jpg")), pattern(5000));
}

// Without replacing, a file that takes the name while the bytes are copied
// stays, whichever way the new file is made.
void tst_FileCopy::neverReplacesARacingFile_data()
{
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("unnamed temporary file") << true;
    QTest::newRow("named temporary file, as on vfat") << false;
}

void tst_FileCopy::neverReplacesARacingFile()
{
    QFETCH(bool, unnamed);
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(5000)));
    FileCopy copy(buffer, 4096);
    copy.setUnnamedFiles(unnamed);
    copy.setReplacing(false);
    copy.onProgress = [&](qint64) {
        if (!QFile::exists(dst.filePath("a.jpg")))
            QVERIFY(writeFile(dst.filePath("a.jpg"), "came meanwhile"));
    };
    const Folder from(src.path()), to(dst.path());
    QCOMPARE(copy.copy(from, "a.jpg", to, "a.jpg"), FileCopy::RenameFailed);
    QCOMPARE(copy.error(), EEXIST);
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("came meanwhile"));
    QCOMPARE(filesIn(dst.path()), QStringList{"a.jpg"});
}

void tst_FileCopy::newFileGetsTheUsualMode_data()
{
    QTest::addColumn<int>("sourceMode");
    QTest::addColumn<int>("copyMode");
    QTest::newRow("ordinary file") << 0644 << 0644;
    QTest::newRow("private file stays private") << 0600 << 0600;
    QTest::newRow("vfat's 0755 is never executable") << 0755 << 0644;
}

void tst_FileCopy::newFileGetsTheUsualMode()
{
    QFETCH(int, sourceMode);
    QFETCH(int, copyMode);
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(10)));
    QCOMPARE(chmod(QFile::encodeName(src.filePath("a.jpg")).constData(), mode_t(sourceMode)), 0);
    const mode_t old = umask(022);
    FileCopy copy(buffer, 4096);
    const FileCopy::Status status = copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg"));
    umask(old);
    QCOMPARE(status, FileCopy::Copied);
    struct stat st;
    QCOMPARE(stat(QFile::encodeName(dst.filePath("a.jpg")).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), copyMode);
}

void tst_FileCopy::refusesTheSameFile_data()
{
    QTest::addColumn<QString>("link"); // "", "hard" or "symbolic"
    QTest::newRow("same path") << "";
    QTest::newRow("hard link") << "hard";
    QTest::newRow("symbolic link") << "symbolic";
}

void tst_FileCopy::refusesTheSameFile()
{
    QFETCH(QString, link);
    const QByteArray bytes = pattern(9000);
    const QString source = src.filePath("a.jpg");
    QVERIFY(writeFile(source, bytes));
    QString destination = source;
    if (link == "hard") {
        destination = dst.filePath("a.jpg");
        QCOMPARE(::link(QFile::encodeName(source).constData(),
                        QFile::encodeName(destination).constData()), 0);
    } else if (link == "symbolic") {
        destination = dst.filePath("a.jpg");
        QVERIFY(QFile::link(source, destination));
    }

    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(source, destination), FileCopy::SameFile);
    QCOMPARE(readAll(source), bytes);
}

void tst_FileCopy::missingSource()
{
    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(src.filePath("gone.jpg"), dst.filePath("gone.jpg")),
             FileCopy::SourceUnreadable);
    QCOMPARE(copy.error(), ENOENT);
    QVERIFY(!copy.errorText().isEmpty());
    QVERIFY(filesIn(dst.path()).isEmpty());
}

void tst_FileCopy::readErrorKeepsDestination()
{
    // A regular file that opens for reading but whose first read fails.
    QVERIFY(writeFile(dst.filePath("folder.jpg"), "old"));
    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy("/proc/self/mem", dst.filePath("folder.jpg")), FileCopy::ReadFailed);
    QCOMPARE(copy.error(), EIO);
    QCOMPARE(readAll(dst.filePath("folder.jpg")), QByteArray("old"));
    QCOMPARE(filesIn(dst.path()), QStringList{"folder.jpg"});
}

void tst_FileCopy::fullDiskKeepsDestination()
{
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(100000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), "old picture"));

    FileCopy copy(buffer, 4096);
    FileCopy::Status status;
    {
        // A file size limit fails the writes part-way, as a full card would.
        TestUtils::FileSizeLimit fullCard(10000);
        status = copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg"));
    }

    QCOMPARE(status, FileCopy::WriteFailed);
    QCOMPARE(copy.error(), EFBIG);
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("old picture"));
    QCOMPARE(filesIn(dst.path()), QStringList{"a.jpg"});
}

void tst_FileCopy::readOnlyFolderKeepsDestination()
{
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(5000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), "old picture"));
    QFile::setPermissions(dst.path(), QFile::ReadOwner | QFile::ExeOwner);
    FileCopy::Status status;
    int err;
    {
        TestUtils::PermissionChecksOn permissions;
        FileCopy copy(buffer, 4096);
        status = copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg"));
        err = copy.error();
    }
    QFile::setPermissions(dst.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(status, FileCopy::NotCreated);
    QCOMPARE(err, EACCES);
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("old picture"));
}

void tst_FileCopy::replacementKeepsIdentity()
{
    // Runs as root in CI: the owner can be given back.
    const QString source = src.filePath("a.jpg"), destination = dst.filePath("a.jpg");
    QVERIFY(writeFile(source, pattern(5000)));
    const struct timespec taken[2] = {{978307200, 0}, {978307200, 500}};
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(source).constData(), taken, 0), 0);
    QVERIFY(writeFile(destination, "old"));
    QCOMPARE(chmod(QFile::encodeName(destination).constData(), 0600), 0);
    const bool root = geteuid() == 0;
    if (root)
        QCOMPARE(chown(QFile::encodeName(destination).constData(), 1234, 1234), 0);

    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(source, destination), FileCopy::Copied);
    const struct stat st = statOf(destination);
    QCOMPARE(int(st.st_mode & 07777), 0600);
    if (root)
        QCOMPARE(int(st.st_uid), 1234);
    QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(978307200));
    QCOMPARE(qint64(st.st_mtim.tv_nsec), qint64(500));
}

void tst_FileCopy::linkedDestinationStaysALink()
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("real.jpg"), hardLink = elsewhere.filePath("hard.jpg");
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(6000)));
    QVERIFY(writeFile(target, "old"));
    QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(hardLink).constData()), 0);
    QVERIFY(QFile::link("../" + QFileInfo(elsewhere.path()).fileName() + "/real.jpg",
                        dst.filePath("a.jpg")));

    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg")), FileCopy::Copied);
    QVERIFY(S_ISLNK(statOf(dst.filePath("a.jpg"), false).st_mode));
    QCOMPARE(readAll(target), pattern(6000));
    // The old file is replaced, not rewritten: its other names keep it.
    QCOMPARE(readAll(hardLink), QByteArray("old"));
}

void tst_FileCopy::changingSourceIsNeverCopied_data()
{
    QTest::addColumn<qint64>("newSize"); // -1: same size, rewritten
    QTest::newRow("truncated") << qint64(1500000);
    QTest::newRow("grown") << qint64(4000000);
    QTest::newRow("rewritten in place") << qint64(-1);
}

void tst_FileCopy::changingSourceIsNeverCopied()
{
    QFETCH(qint64, newSize);
    const QString source = src.filePath("a.jpg");
    QVERIFY(writeFile(source, pattern(3000000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), "old picture"));

    FileCopy copy(buffer, 4096);
    copy.onProgress = [&](qint64 copied) {
        if (copied > 2000000)
            return;
        const QByteArray name = QFile::encodeName(source);
        if (newSize >= 0) {
            QCOMPARE(truncate(name.constData(), newSize), 0);
        } else {
            const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
            QCOMPARE(utimensat(AT_FDCWD, name.constData(), later, 0), 0);
        }
    };
    QCOMPARE(copy.copy(source, dst.filePath("a.jpg")), FileCopy::SourceChanged);
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("old picture"));
    QCOMPARE(filesIn(dst.path()), QStringList{"a.jpg"});
}

void tst_FileCopy::crashLeavesNothingBehind_data()
{
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("unnamed file") << true;
    QTest::newRow("named temporary, as on vfat") << false;
}

void tst_FileCopy::crashLeavesNothingBehind()
{
    QFETCH(bool, unnamed);
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(3000000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), "old picture"));

    const pid_t child = fork();
    if (child == 0) {
        FileCopy copy(buffer, 4096);
        copy.setUnnamedFiles(unnamed);
        copy.onProgress = [](qint64) { raise(SIGKILL); };
        copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg"));
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("old picture"));
    QCOMPARE(filesIn(dst.path()).size(), unnamed ? 1 : 2);

    // The next copy into the folder clears what the crash left.
    QVERIFY(writeFile(src.filePath("b.jpg"), "b"));
    FileCopy copy(buffer, 4096);
    copy.setUnnamedFiles(unnamed);
    QCOMPARE(copy.copy(src.filePath("b.jpg"), dst.filePath("b.jpg")), FileCopy::Copied);
    QCOMPARE(filesIn(dst.path()), (QStringList{"a.jpg", "b.jpg"}));
}

void tst_FileCopy::cancelLeavesNothingBehind()
{
    QFETCH(bool, unnamed);
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(3000000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), "old picture"));
    std::atomic<bool> cancelled{false};
    FileCopy copy(buffer, 4096);
    copy.setUnnamedFiles(unnamed);
    copy.setCancelFlag(&cancelled);
    qint64 last = 0;
    copy.onProgress = [&](qint64 copied) {
        last = copied;
        cancelled = true;
    };
    QCOMPARE(copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg")), FileCopy::Cancelled);
    QVERIFY(last < 3000000);
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("old picture"));
    QCOMPARE(filesIn(dst.path()), QStringList{"a.jpg"});
}

void tst_FileCopy::onlyOurLeftoversRemoved()
{
    const QStringList theirs{".tessel-backup", ".tessel-config", ".tessel-copy-abcdefgh.partx",
                             ".tessel-copy-abc-efgh.part"};
    for (const QString &name : theirs + QStringList{".tessel-copy-aB3dEf9h.part"})
        QVERIFY(writeFile(dst.filePath(name), "kept?"));
    // A running copy holds its temporary file locked.
    const QString held = dst.filePath(".tessel-copy-inUse123.part");
    QVERIFY(writeFile(held, "in use"));
    const int fd = open(QFile::encodeName(held).constData(), O_RDONLY);
    QVERIFY(fd >= 0 && flock(fd, LOCK_EX) == 0);
    ReplacementFile::removeLeftovers(Folder(dst.path()));
    close(fd);
    QCOMPARE(filesIn(dst.path()), (QStringList{".tessel-backup", ".tessel-config",
                                              ".tessel-copy-abc-efgh.part",
                                              ".tessel-copy-abcdefgh.partx",
                                              ".tessel-copy-inUse123.part"}));
}

void tst_FileCopy::longNamesCopy_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("replacing");
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("248 bytes, new") << 248 << false << true;
    QTest::newRow("255 bytes, replacing") << 255 << true << true;
    QTest::newRow("255 bytes, replacing, named temporary") << 255 << true << false;
}

void tst_FileCopy::longNamesCopy()
{
    QFETCH(int, length);
    QFETCH(bool, replacing);
    QFETCH(bool, unnamed);
    const QString name = QString(length - 4, 'p') + ".jpg";
    QVERIFY(writeFile(src.filePath(name), pattern(5000)));
    if (replacing)
        QVERIFY(writeFile(dst.filePath(name), "old"));
    FileCopy copy(buffer, 4096);
    copy.setUnnamedFiles(unnamed);
    QCOMPARE(copy.copy(src.filePath(name), dst.filePath(name)), FileCopy::Copied);
    QCOMPARE(readAll(dst.filePath(name)), pattern(5000));
    QCOMPARE(filesIn(dst.path()), QStringList{name});
}

void tst_FileCopy::copiesByteNames()
{
    const QByteArray name = "bild\xff\xfe.jpg";
    const Folder from(src.path()), to(dst.path());
    const int fd = from.open(name, O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(write(fd, "picture", 7), ssize_t(7));
    close(fd);

    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(from, name, to, name), FileCopy::Copied);
    QList<QByteArray> names;
    QVERIFY(to.entryNames(&names));
    QCOMPARE(names, QList<QByteArray>{name});
    QFile copied;
    QVERIFY(to.openFile(&copied, name, QIODevice::ReadOnly));
    QCOMPARE(copied.readAll(), QByteArray("picture"));
    // Qt's own removal of the folders would not see these names.
    QVERIFY(to.remove(name) && from.remove(name));
}

// As a flaky card reader or a bad stick would: the bytes on the disk are
// not those that were read.
void tst_FileCopy::changedCopyIsNeverNamed()
{
    QFETCH(bool, unnamed);
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(300000)));
    QVERIFY(writeFile(dst.filePath("a.jpg"), "old picture"));
    FileCopy copy;
    copy.setUnnamedFiles(unnamed);
    FileCopy::Hooks hooks;
    hooks.beforeReadBack = [](int fd) { QCOMPARE(pwrite(fd, "X", 1, 123456), ssize_t(1)); };
    copy.setHooks(hooks);
    const FileCopy::Status status = copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg"));
    QCOMPARE(status, FileCopy::Differs);
    QCOMPARE(FileCopy::reach(status, copy.error()), FileCopy::Reach::Command);
    QCOMPARE(readAll(dst.filePath("a.jpg")), QByteArray("old picture"));
    QCOMPARE(filesIn(dst.path()), QStringList{"a.jpg"});
}

void tst_FileCopy::folderFlushedAfterTheName()
{
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(5000)));
    FileCopy copy;
    copy.setReplacing(false);
    QList<FileCopy::Step> steps;
    QStringList namedAt;
    FileCopy::Hooks hooks;
    hooks.stepDone = [&](FileCopy::Step step) {
        steps << step;
        namedAt << (QFile::exists(dst.filePath("a.jpg")) ? "named" : "unnamed");
    };
    copy.setHooks(hooks);
    QCOMPARE(copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg")), FileCopy::Copied);
    QCOMPARE(steps, (QList<FileCopy::Step>{FileCopy::Step::FileSynced, FileCopy::Step::Renamed,
                                           FileCopy::Step::FolderSynced}));
    QCOMPARE(namedAt, (QStringList{"unnamed", "named", "named"}));
    QCOMPARE(copy.proof().size, qint64(5000));
    QCOMPARE(copy.proof().time, qint64(statOf(src.filePath("a.jpg")).st_mtim.tv_sec));
}

void tst_FileCopy::refusedNameEndsOnlyThatFile()
{
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(5000)));
    const Folder from(src.path()), to(dst.path());
    FileCopy copy;
    copy.setReplacing(false);
    const FileCopy::Status status = copy.copy(from, "a.jpg", to, QByteArray(300, 'n'));
    QCOMPARE(status, FileCopy::NameRefused);
    QCOMPARE(copy.error(), ENAMETOOLONG);
    QCOMPARE(FileCopy::reach(status, copy.error()), FileCopy::Reach::File);
    QVERIFY(filesIn(dst.path()).isEmpty());
}

void tst_FileCopy::failureReach_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("err");
    QTest::addColumn<bool>("endsCommand");
    QTest::newRow("unreadable picture") << int(FileCopy::ReadFailed) << EIO << false;
    QTest::newRow("too large for vfat") << int(FileCopy::TooLarge) << EFBIG << false;
    QTest::newRow("name taken meanwhile") << int(FileCopy::RenameFailed) << EEXIST << false;
    QTest::newRow("disk full") << int(FileCopy::WriteFailed) << ENOSPC << true;
    QTest::newRow("quota") << int(FileCopy::WriteFailed) << EDQUOT << true;
    QTest::newRow("read-only") << int(FileCopy::NotCreated) << EROFS << true;
    QTest::newRow("destination gone") << int(FileCopy::NotCreated) << ENOENT << true;
}

void tst_FileCopy::failureReach()
{
    QFETCH(int, status);
    QFETCH(int, err);
    QFETCH(bool, endsCommand);
    QCOMPARE(FileCopy::reach(FileCopy::Status(status), err) == FileCopy::Reach::Command,
             endsCommand);
}

void tst_FileCopy::sameBytes_data()
{
    QTest::addColumn<QByteArray>("other");
    QTest::addColumn<bool>("same");
    QByteArray changed = pattern(3000000);
    changed[2999999] = 'x';
    QTest::newRow("same bytes") << pattern(3000000) << true;
    QTest::newRow("same size, one byte other") << changed << false;
    QTest::newRow("shorter") << pattern(2999999) << false;
}

// Two cameras write pictures of one name, size and time: only the bytes
// tell them apart.
void tst_FileCopy::sameBytes()
{
    QFETCH(QByteArray, other);
    QFETCH(bool, same);
    QVERIFY(writeFile(src.filePath("a.cr2"), pattern(3000000)));
    QVERIFY(writeFile(dst.filePath("a.cr2"), other));
    const Folder from(src.path()), to(dst.path());
    FileCopy copy(buffer, 4096);
    FileCopy::Proof proof;
    QCOMPARE(copy.sameBytes(from, "a.cr2", to, "a.cr2", &proof), same);
    if (!same)
        return;
    FileCopy second;
    QCOMPARE(second.copy(from, "a.cr2", to, "b.cr2"), FileCopy::Copied);
    QVERIFY(proof.hash == second.proof().hash);
    QCOMPARE(proof.size, qint64(3000000));
}

void tst_FileCopy::insideTree_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<bool>("inside");
    QTest::newRow("the source folder") << "card" << true;
    QTest::newRow("a camera folder") << "card/DCIM/100CANON" << true;
    QTest::newRow("a camera folder through a link") << "link/100CANON" << true;
    QTest::newRow("beside the source") << "pictures" << false;
    QTest::newRow("above the source") << "." << false;
}

void tst_FileCopy::insideTree()
{
    QFETCH(QString, destination);
    QFETCH(bool, inside);
    QVERIFY(QDir(src.path()).mkpath("card/DCIM/100CANON") && QDir(src.path()).mkpath("pictures"));
    QFile::link(src.filePath("card/DCIM"), src.filePath("link"));
    const Folder tree(src.filePath("card")), folder(src.filePath(destination));
    QVERIFY(folder.isOpen());
    QCOMPARE(FileCopy::isInsideTree(folder, tree), inside);
}

QTEST_GUILESS_MAIN(tst_FileCopy)
#include "tst_filecopy.moc"
