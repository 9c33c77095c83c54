// Copy of a 200 MB picture file: the browser's copy path (4096-byte blocks,
// flushed to disk, renamed into place) against `cp` followed by `sync` of
// the copied file, both into the same folder.

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "bench/benchutils.h"
#include "platform/filecopy.h"

namespace {

bool compare(const char *what, const QString &source, const QString &ours, const QString &theirs,
             double mb)
{
    static char buffer[4097];
    bool ok = true;
    const double oursMs = BenchUtils::bestMs([&] {
        QFile::remove(ours);
        FileCopy copy(buffer, 4096);
        ok = ok && copy.copy(source, ours) == FileCopy::Copied;
    });
    const double cpMs = BenchUtils::bestMs([&] {
        QFile::remove(theirs);
        ok = ok && BenchUtils::runTool("cp", {source, theirs}) &&
             BenchUtils::runTool("sync", {theirs});
    });
    QFile::remove(ours);
    QFile::remove(theirs);
    if (!ok) {
        fprintf(stderr, "a copy failed\n");
        return false;
    }
    printf(" %s\n", what);
    printf("  tessel copy                  : %8.1f ms  %7.1f MB/s\n", oursMs, mb / (oursMs / 1000));
    printf("  cp + sync                    : %8.1f ms  %7.1f MB/s\n", cpMs, mb / (cpMs / 1000));
    printf("  throughput ratio tessel / cp : %8.2f  (target >= 0.80)\n", cpMs / oursMs);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 size = 200LL * 1000 * 1000;

    QTemporaryDir dir(QDir::homePath() + "/.tessel-bench-XXXXXX");
    if (!dir.isValid()) {
        fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString source = dir.filePath("big.jpg");
    {
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        QByteArray block(1 << 20, '\0');
        QRandomGenerator rng(7);
        for (qint64 written = 0; written < size; written += block.size()) {
            rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            f.write(block.constData(), qMin<qint64>(block.size(), size - written));
        }
    }
    QDir(dir.path()).mkdir("dest");
    const QString ours = dir.filePath("dest/ours.jpg");
    const QString theirs = dir.filePath("dest/cp.jpg");

    const double mb = size / 1e6;
    printf("copy of a %.0f MB file, flushed to disk (best of 3)\n", mb);
    if (!compare("same file system", source, ours, theirs, mb))
        return 1;

    // From another file system (as from the card) the kernel may refuse to
    // copy by itself, and the bytes go through the 4096-byte blocks.
    QTemporaryDir shm("/dev/shm/tessel-bench-XXXXXX");
    if (shm.isValid() && QFile::copy(source, shm.filePath("big.jpg"))) {
        if (!compare("from tmpfs", shm.filePath("big.jpg"), ours, theirs, mb))
            return 1;
    }
    return 0;
}
