// Whole thumbnail runs as the user starts them with the button, each over a
// folder that has no thumbnails yet: wall-clock
// and CPU time, and the longest the event loop waited meanwhile. Camera
// photos come with an embedded thumbnail, plain ones are decoded. The same
// photos through vipsthumbnail (one call for all) for comparison.

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

#include "benchutils.h"
#include "tesselview.h"
#include "tesseldata.h"

namespace {

const int runs = 3;

class Browser : public TesselView
{
public:
    using TesselView::TesselView;
    using TesselView::source;
};

struct Figures
{
    double wallMs = 1e300;
    double cpuMs = 0;
    double stallMs = 0;
};

double cpuMs(int who)
{
    rusage usage;
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Wall over CPU time of a busy loop: 1.0 on an idle machine, more where
// other programs share the cores. A run's own ratio is judged against it.
double contention()
{
    const double cpuBefore = cpuMs(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    volatile double sum = 0;
    while (cpuMs(RUSAGE_SELF) - cpuBefore < 500)
        for (int i = 0; i < 100000; ++i)
            sum = sum + i * 0.5;
    return clock.nsecsElapsed() / 1e6 / (cpuMs(RUSAGE_SELF) - cpuBefore);
}

// One run over the source pane; with `watchStalls`, a 1 ms timer records
// the longest gap between two turns of the event loop (it costs time of
// its own, so the timings come from runs without it).
Figures runOnce(Browser &view, bool watchStalls)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    probe.setTimerType(Qt::PreciseTimer);
    if (watchStalls)
        probe.start(1);
    const double cpuBefore = cpuMs(RUSAGE_SELF);
    clock.start();
    view.LeftThumbnailButton->click();
    while (view.source.thumbnails().isRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Figures f;
    f.wallMs = clock.nsecsElapsed() / 1e6;
    f.cpuMs = cpuMs(RUSAGE_SELF) - cpuBefore;
    f.stallMs = longest / 1e6;
    return f;
}

// Each run lists a folder of its own with no thumbnails yet, as a new
// card's photos are; `dirs` gives one folder per run and one more for the
// run that watches the stalls.
Figures ours(const QStringList &dirs)
{
    Figures best;
    for (int i = 0; i <= runs; ++i) {
        TesselData data;
        data.leftPath = dirs[i];
        data.rightPath = dirs[i];
        data.fileExt = "jpg";
        Browser view(nullptr, &data, data.flashPath, data.fileExt);
        const bool watchStalls = i == runs;
        const Figures f = runOnce(view, watchStalls);
        if (watchStalls)
            best.stallMs = f.stallMs;
        else if (f.wallMs < best.wallMs)
            best = f;
    }
    return best;
}

Figures vips(const QStringList &photos, const QString &out)
{
    Figures best;
    QStringList args{"-s", "100x75!", "-o", out + "/%s.png"};
    args << photos;
    for (int i = 0; i < runs; ++i) {
        const double cpuBefore = cpuMs(RUSAGE_CHILDREN);
        QElapsedTimer clock;
        clock.start();
        if (!BenchUtils::runTool("vipsthumbnail", args))
            return Figures();
        const double wall = clock.nsecsElapsed() / 1e6;
        if (wall < best.wallMs)
            best = {wall, cpuMs(RUSAGE_CHILDREN) - cpuBefore, 0};
    }
    return best;
}

// `photos` each listed `times` under a name of its own (hard links), so
// that a card's worth of pictures costs no more disk than a few.
QStringList linkMany(const QString &dir, const QStringList &photos, int times)
{
    QStringList linked = BenchUtils::linkInto(dir, photos);
    for (int i = 1; i < times; ++i) {
        for (const QString &photo : photos) {
            const QString name =
                QString("%1/%2_%3").arg(dir).arg(i).arg(QFileInfo(photo).fileName());
            if (::link(QFile::encodeName(photo).constData(), QFile::encodeName(name).constData()) ==
                0)
                linked << name;
        }
    }
    return linked;
}

void report(const char *what, const QStringList &photos, int times, double wallTarget,
            double shared)
{
    QTemporaryDir work;
    const QString out = work.path() + "/vips";
    QDir().mkpath(out);
    QStringList dirs;
    QStringList linked;
    for (int i = 0; i <= runs; ++i) {
        dirs << QString("%1/photos%2").arg(work.path()).arg(i);
        linked = linkMany(dirs.last(), photos, times);
    }
    const Figures run = ours(dirs);
    const Figures tool = BenchUtils::toolInstalled("vipsthumbnail") ? vips(linked, out) : Figures();
    printf("%-28s %4d %9.1f %9.1f %9.2f %9.2f %9.1f %10.1f %10.1f %9.1f\n", what,
           int(linked.size()), run.wallMs, run.cpuMs, run.wallMs / run.cpuMs,
           run.wallMs / run.cpuMs / shared, run.stallMs, tool.wallMs < 1e300 ? tool.wallMs : 0.0,
           tool.cpuMs, wallTarget);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList plain = BenchUtils::makePhotos("/tmp/tessel-bench-photos", 6);
    const QStringList camera = BenchUtils::makeCameraPhotos("/tmp/tessel-bench-camera", 40);
    if (plain.isEmpty() || camera.isEmpty())
        return 1;

    const double shared = contention();
    printf("\nthumbnail runs at 100x75, best of %d, ms; a busy loop runs here at wall/cpu %.2f\n"
           "(targets: wall at most the target; wall/cpu at most 1.3 for decoded photos, judged "
           "as 'own', i.e. divided by the busy loop's)\n",
           runs, shared);
    printf("%-28s %4s %9s %9s %9s %9s %9s %10s %10s %9s\n", "photos", "n", "wall", "cpu",
           "wall/cpu", "own", "stall", "vips wall", "vips cpu", "target");
    // A card's worth: 2,000 photos within 2 s.
    report("camera, embedded thumbnail", camera, 50, 2000, shared);
    report("plain 12 MP, decoded", plain, 1, 0, shared);
    return 0;
}
