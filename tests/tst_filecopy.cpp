#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/filecopy.h"
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

} // namespace

class tst_FileCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void copiesEveryByte_data();
    void copiesEveryByte();
    void replacesExistingDestination();
    void newFileGetsTheUsualMode();
    void refusesTheSameFile_data();
    void refusesTheSameFile();
    void missingSource();
    void readErrorKeepsDestination();
    void fullDiskKeepsDestination();
    void readOnlyFolderKeepsDestination();

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

void tst_FileCopy::newFileGetsTheUsualMode()
{
    QVERIFY(writeFile(src.filePath("a.jpg"), pattern(10)));
    const mode_t old = umask(022);
    FileCopy copy(buffer, 4096);
    const FileCopy::Status status = copy.copy(src.filePath("a.jpg"), dst.filePath("a.jpg"));
    umask(old);
    QCOMPARE(status, FileCopy::Copied);
    struct stat st;
    QCOMPARE(stat(QFile::encodeName(dst.filePath("a.jpg")).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0644);
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
    // A directory opens for reading but every read fails.
    QVERIFY(QDir(src.path()).mkdir("folder.jpg"));
    QVERIFY(writeFile(dst.filePath("folder.jpg"), "old"));
    FileCopy copy(buffer, 4096);
    QCOMPARE(copy.copy(src.filePath("folder.jpg"), dst.filePath("folder.jpg")),
             FileCopy::ReadFailed);
    QCOMPARE(copy.error(), EISDIR);
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

QTEST_GUILESS_MAIN(tst_FileCopy)
#include "tst_filecopy.moc"
