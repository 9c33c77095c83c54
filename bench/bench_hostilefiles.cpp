// Small hostile files of the kinds a card holds besides plain JPEGs: how
// much memory and time each costs the loader for a preview and for the full
// screen. Every load runs in a child of its own, so a file that takes too
// much harms nobody; its peak is the child's (getrusage), less the idle
// child's. Also how soon a raised cancel flag stops a RAW preview decode.

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QThread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "benchutils.h"
#include "memorybudget.h"
#include "pictureloader.h"
#include "folder.h"

namespace {

const char *const folder = "/tmp/tessel-bench-hostile";
const QSize previewSize(240, 180);
const QSize fullScreenSize(300, 225);
const long budgetKb = long(MemoryBudget::processBytes >> 10);
const long marginKb = 64 * 1024;
const double maxMs = 2000;

QString at(const QString &name)
{
    return QString(folder) + "/" + name;
}

bool write(const QString &name, const QByteArray &bytes)
{
    QFile file(at(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray be32(quint32 value)
{
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

// Canon's CR3 start, then `levels` boxes each holding the next.
QByteArray nestedCr3(int levels)
{
    QByteArray file = be32(24) + "ftypcrx " + be32(1) + "crx isom";
    for (int level = 0; level < levels; ++level)
        file += be32(quint32(8 * (levels - level + 1))) + "moov";
    return file + be32(8) + "mdat";
}

// A progressive JPEG whose last scan repeats until `scans` scans or
// `maxBytes` bytes. Flat grey keeps each scan a few bytes long.
QByteArray scanBomb(const QSize &size, int scans, qint64 maxBytes)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    const QByteArray jpeg = buffer.data();
    const qsizetype end = jpeg.lastIndexOf("\xff\xd9");
    const qsizetype scan = jpeg.lastIndexOf("\xff\xda");
    const QByteArray last = jpeg.mid(scan, end - scan);
    const qint64 room = (maxBytes - jpeg.size()) / last.size();
    return jpeg.left(end) + last.repeated(int(std::min<qint64>(scans, room))) + jpeg.mid(end);
}

bool writeRaw(const QString &name, const QByteArray &preview)
{
    return write(name + ".jpg", preview) &&
           QProcess::execute("python3", {TESSEL_SOURCE_DIR "/scripts/make_raw_like.py", at(name),
                                         at(name + ".jpg")}) == 0;
}

struct Hostile
{
    const char *what;
    QString name;
};

QList<Hostile> makeFiles()
{
    QDir().mkpath(folder);
    const QByteArray raw = scanBomb(QSize(1024, 768), 40000, 3300 * 1024);
    if (!write("IMG_0001.CR3", nestedCr3(20000)) || !write("IMG_0002.CR3", nestedCr3(150000)) ||
        !writeRaw("IMG_0003.CR2", raw) ||
        !write("MVI_0004.THM", scanBomb(QSize(16, 16), 28000, 1000 * 1024)) ||
        !write("MVI_0004.MOV", QByteArray(4096, '\0')) ||
        !writeRaw("IMG_0005.CR2", scanBomb(QSize(1024, 768), 0, 1 << 20)) ||
        !QFile::resize(at("IMG_0005.CR2"), 3000))
        return {};
    return {{"CR3 nested 20,000 deep", "IMG_0001.CR3"},
            {"CR3 nested 150,000 deep", "IMG_0002.CR3"},
            {"RAW, preview of 40,000 scans", "IMG_0003.CR2"},
            {"video, THM of 28,000 scans*", "MVI_0004.THM"},
            {"RAW cut short", "IMG_0005.CR2"}};
}

// In the child: one load, as the browser does it.
int childLoad(const char *mode, const char *name)
{
    const Folder files(folder);
    if (std::strcmp(mode, "idle") == 0)
        return 0;
    const QImage image = std::strcmp(mode, "preview") == 0
                             ? PictureLoader::loadPreview(files.descriptor(), name, previewSize)
                             : PictureLoader::loadScaled(files.descriptor(), name, fullScreenSize);
    return image.isNull() ? 1 : 0;
}

struct Run
{
    long peakKb = -1;
    double ms = 0;
    bool shown = false;
};

Run inChild(const char *self, const char *mode, const QString &name)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        const QByteArray file = QFile::encodeName(name);
        execl(self, self, "--child", mode, file.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    Run run;
    int status = 0;
    struct rusage usage;
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        run.ms = timer.nsecsElapsed() / 1e6;
        run.peakKb = usage.ru_maxrss;
        run.shown = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return run;
}

// A RAW whose preview is a 12 MP progressive JPEG: its full decode takes
// long enough to be cancelled in the middle.
QString makeSlowRaw()
{
    const QStringList photos = BenchUtils::makePhotos("/tmp/tessel-bench-photos", 1);
    if (photos.isEmpty())
        return QString();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(QImage(photos.first())) || !writeRaw("IMG_0006.CR2", buffer.data()))
        return QString();
    return "IMG_0006.CR2";
}

// How long a RAW preview decode goes on after its cancel flag is raised;
// negative when it had ended before.
double cancelLatencyMs(const QString &name, double *uncancelledMs)
{
    const Folder files(folder);
    const QByteArray file = QFile::encodeName(name);
    const QSize whole(4000, 3000);
    *uncancelledMs = BenchUtils::bestMs(
        [&] { PictureLoader::loadScaled(files.descriptor(), file, whole); }, 1);
    std::atomic<bool> cancelled(false);
    std::atomic<bool> done(false);
    QThread *worker = QThread::create([&] {
        PictureLoader::loadScaled(files.descriptor(), file, whole, QByteArray(), &cancelled);
        done = true;
    });
    worker->start();
    QThread::msleep(qMax(1, int(*uncancelledMs / 2)));
    QElapsedTimer raised;
    raised.start();
    const bool ended = done;
    cancelled = true;
    worker->wait();
    const double ms = raised.nsecsElapsed() / 1e6;
    delete worker;
    return ended ? -1 : ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return childLoad(argv[2], argv[3]);
    const QList<Hostile> files = makeFiles();
    if (files.isEmpty()) {
        fprintf(stderr, "cannot write the hostile files (needs python3) in %s\n", folder);
        return 1;
    }
    const long idleKb = inChild(argv[0], "idle", QString()).peakKb;
    printf("budget %ld MB; target per load: peak <= budget + 64 MB above the idle child "
           "(%ld MB), <= %.0f ms\n", budgetKb >> 10, idleKb >> 10, maxMs);
    bool within = true;
    for (const Hostile &file : files) {
        for (const char *mode : {"preview", "scaled"}) {
            // A THM is reached through its video.
            const QString loaded = file.name.endsWith(".THM")
                                       ? file.name.left(file.name.size() - 3) + "MOV"
                                       : file.name;
            const Run run = inChild(argv[0], mode, loaded);
            const long aboveKb = run.peakKb - idleKb;
            const bool ok = run.peakKb >= 0 && aboveKb <= budgetKb + marginKb && run.ms <= maxMs;
            within = within && ok;
            printf("%-30s %5lld KB %-12s %6.1f MB peak above idle (%.2f of budget + 64 MB), "
                   "%7.1f ms (%.2f of 2 s), %s%s\n",
                   file.what, static_cast<long long>(QFileInfo(at(file.name)).size() >> 10),
                   std::strcmp(mode, "preview") == 0 ? "preview" : "full screen",
                   aboveKb / 1024.0, double(aboveKb) / (budgetKb + marginKb), run.ms,
                   run.ms / maxMs, run.shown ? "shown" : "refused", ok ? "" : "  OVER");
        }
    }
    const QString slow = makeSlowRaw();
    double uncancelledMs = 0;
    const double latencyMs = slow.isEmpty() ? -1 : cancelLatencyMs(slow, &uncancelledMs);
    printf("cancel raised halfway through a RAW preview decode of %.0f ms: stopped after %.1f ms "
           "(target <= 100 ms)\n", uncancelledMs, latencyMs);
    printf("* a video whose THM is refused shows its film strip\n");
    fflush(stdout);
    return within ? 0 : 1;
}
