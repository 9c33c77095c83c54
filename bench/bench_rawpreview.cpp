// Preview of a camera RAW: how long RawPreview::load takes for the preview
// pane, and how much of the 25 MB file it reads; the same for a DNG whose
// previews lie in strips of reduced-resolution IFDs. The file is dropped from
// the page cache before each cold run; what is resident afterwards is what
// the load touched (mincore on a mapping of the whole file).

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QProcess>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "benchutils.h"
#include "rawpreview.h"

namespace {

const char *const folder = "/tmp/tessel-bench-raw";
const qint64 rawBytes = 25'000'000;
const QSize previewSize(240, 180);

// A RAW-like file of `rawBytes` whose largest preview is 1620 x 1080 and
// whose smallest is a 160 x 120 thumbnail, made once and kept.
QString makeRaw(const QString &name, bool strips)
{
    const QString raw = QString(folder) + "/" + name;
    if (QFile::exists(raw))
        return raw;
    const QStringList photos = BenchUtils::makePhotos("/tmp/tessel-bench-photos", 1);
    if (photos.isEmpty())
        return QString();
    QImageReader reader(photos.first());
    reader.setScaledSize(QSize(1620, 1080));
    const QImage large = reader.read();
    const QString small = QString(folder) + "/small.jpg";
    const QString big = QString(folder) + "/large.jpg";
    if (!large.scaled(160, 107).copy(0, -6, 160, 120).save(small, "JPEG", 85) ||
        !large.save(big, "JPEG", 90))
        return QString();
    const qint64 sensorBytes = rawBytes - QFileInfo(small).size() - QFileInfo(big).size() - 512;
    QStringList arguments{TESSEL_SOURCE_DIR "/scripts/make_raw_like.py", raw, "--orientation",
                          "6", "--sensor-bytes", QString::number(sensorBytes), small, big};
    if (strips)
        arguments << "--strips";
    const int status = QProcess::execute("python3", arguments);
    return status == 0 ? raw : QString();
}

// Bytes of the file in the page cache.
qint64 residentBytes(int fd, qint64 size)
{
    void *mapped = mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED)
        return -1;
    const long page = sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> pages(size_t((size + page - 1) / page));
    qint64 resident = 0;
    if (mincore(mapped, size_t(size), pages.data()) == 0) {
        for (unsigned char p : pages)
            resident += (p & 1) ? page : 0;
    }
    munmap(mapped, size_t(size));
    return resident;
}

bool measure(const QString &raw, const char *kind)
{
    if (raw.isEmpty()) {
        fprintf(stderr, "cannot write the RAW-like file (needs python3)\n");
        return false;
    }
    const int fd = open(QFile::encodeName(raw).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0)
        return false;
    fdatasync(fd);

    double coldMs = 1e300;
    qint64 touched = 0;
    QSize shown;
    for (int run = 0; run < 3; ++run) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        const qint64 before = residentBytes(fd, info.st_size);
        QElapsedTimer timer;
        timer.start();
        shown = RawPreview::load(fd, previewSize, false).size();
        coldMs = std::min(coldMs, timer.nsecsElapsed() / 1e6);
        touched = residentBytes(fd, info.st_size) - before;
        if (before > 0)
            printf("note: %lld bytes stayed cached (a file system that keeps pages)\n",
                   static_cast<long long>(before));
    }
    const double warmMs = BenchUtils::bestMs(
        [fd] { RawPreview::load(fd, previewSize, false); }, 10);
    const double fullMs = BenchUtils::bestMs(
        [fd] { RawPreview::load(fd, QSize(320, 240), true); }, 10);

    printf("%s: %lld bytes, previews 160x120 and 1620x1080, orientation 6\n", kind,
           static_cast<long long>(info.st_size));
    printf("preview at least %dx%d: decoded %dx%d\n", previewSize.width(), previewSize.height(),
           shown.width(), shown.height());
    printf("  cold (dropped from the page cache): %.1f ms (target <= 30 ms)\n", coldMs);
    printf("  warm: %.1f ms\n", warmMs);
    printf("  file touched: %lld bytes = %.2f MB (target <= 2 MB)\n",
           static_cast<long long>(touched), touched / 1048576.0);
    printf("largest preview for 320x240 full screen, warm: %.1f ms\n", fullMs);
    fflush(stdout);
    close(fd);
    return shown.isValid();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDir().mkpath(folder);
    const bool raw = measure(makeRaw("IMG_0001.CR2", false), "RAW-like file");
    const bool dng = measure(makeRaw("IMG_0002.DNG", true), "DNG, previews in strips");
    return raw && dng ? 0 : 1;
}
