#ifndef BENCHUTILS_H
#define BENCHUTILS_H

// Shared by the benchmark programs: real-sized photos and timing.

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace BenchUtils {

// A 12-megapixel (4000 x 3000) JPEG with photo-like content: gradients,
// shapes and noise, so the encoder and decoder do real work.
inline bool makePhoto(const QString &path, int seed, int quality = 90)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 1500);
    sky.setColorAt(0, QColor(40, 90, 180));
    sky.setColorAt(1, QColor(170, 210, 240));
    p.fillRect(0, 0, 4000, 1500, sky);
    QLinearGradient ground(0, 1500, 0, 3000);
    ground.setColorAt(0, QColor(30, 110, 150));
    ground.setColorAt(1, QColor(220, 200, 150));
    p.fillRect(0, 1500, 4000, 1500, ground);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 400; ++i) {
        p.setBrush(QColor::fromRgb(rng.generate() | 0xff000000));
        p.drawEllipse(rng.bounded(4000), rng.bounded(3000), 20 + rng.bounded(300),
                      20 + rng.bounded(300));
    }
    p.end();
    for (int y = 0; y < 3000; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < 4000; ++x) {
            const int n = int(rng.bounded(24)) - 12;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                           std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return image.save(path, "JPEG", quality);
}

// `count` photos in `dir`, made once and kept between runs.
inline QStringList makePhotos(const QString &dir, int count)
{
    QDir().mkpath(dir);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QString("%1/photo_%2.jpg").arg(dir).arg(i + 1, 2, 10, QChar('0'));
        if (!QFile::exists(path) && !makePhoto(path, i + 1)) {
            fprintf(stderr, "cannot write %s\n", qPrintable(path));
            continue;
        }
        paths << path;
    }
    return paths;
}

inline bool toolInstalled(const QString &program);
inline bool runTool(const QString &program, const QStringList &args);

// Adds what a camera writes into a photo: a 160 x 120 EXIF thumbnail and
// the orientation tag. Needs exiftool (Debian: libimage-exiftool-perl).
inline bool addCameraExif(const QString &path, int orientation)
{
    QImageReader reader(path);
    reader.setScaledSize(QSize(160, 120));
    const QString thumbnail = path + ".thumb.jpg";
    if (!reader.read().save(thumbnail, "JPEG", 85))
        return false;
    const bool written = runTool("exiftool", {"-q", "-overwrite_original",
                                              "-ThumbnailImage<=" + thumbnail,
                                              QString("-Orientation#=%1").arg(orientation), path});
    QFile::remove(thumbnail);
    return written;
}

// `count` camera photos in `dir`, copies of the photos of makePhotos with
// an embedded thumbnail; every third one is a portrait, stored turned.
// Made once and kept between runs. Empty when exiftool is missing.
inline QStringList makeCameraPhotos(const QString &dir, int count)
{
    if (!toolInstalled("exiftool")) {
        fprintf(stderr, "exiftool is not installed (make bench installs it)\n");
        return {};
    }
    const QStringList plain = makePhotos("/tmp/tessel-bench-photos", std::min(count, 6));
    if (plain.isEmpty())
        return {};
    QDir().mkpath(dir);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QString("%1/camera_%2.jpg").arg(dir).arg(i + 1, 2, 10, QChar('0'));
        if (!QFile::exists(path) &&
            !(QFile::copy(plain[i % plain.size()], path) &&
              addCameraExif(path, i % 3 == 2 ? 6 : 1))) {
            fprintf(stderr, "cannot write %s\n", qPrintable(path));
            QFile::remove(path);
            continue;
        }
        paths << path;
    }
    return paths;
}

// Hard links to `photos` in `dir` (copies across file systems): a run's
// thumbnails then go into `dir`, and the photos' own folder stays free of
// thumbnails, which the preview benchmark would otherwise read instead of
// the photos. Symbolic links would not do: the browser lists none.
inline QStringList linkInto(const QString &dir, const QStringList &photos)
{
    QDir().mkpath(dir);
    QStringList linked;
    for (const QString &path : photos) {
        const QString link = dir + "/" + QFileInfo(path).fileName();
        if (::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) != 0)
            QFile::copy(path, link);
        linked << link;
    }
    return linked;
}

// A file of `size` random bytes, which no file system can compress or
// share with another.
inline bool writeRandom(const QString &path, qint64 size, quint32 seed)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, '\0');
    QRandomGenerator rng(seed);
    for (qint64 written = 0; written < size; written += block.size()) {
        rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        if (f.write(block.constData(), qMin<qint64>(block.size(), size - written)) < 0)
            return false;
    }
    return true;
}

// Best of `runs` wall-clock timings of `work`, in milliseconds.
inline double bestMs(const std::function<void()> &work, int runs = 3)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// Runs an external program to its end; false when it is not installed or fails.
// Wall time and the longest gap between two turns of the event loop, in
// ms, while work runs: `start` begins it from the loop, which then runs
// until `done`. A precise timer every 5 ms looks, so a gap includes up to
// one interval of the timer's own.
struct Stalls
{
    double wallMs = 0;
    double stallMs = 0;
};

inline Stalls measureStalls(const std::function<void()> &start, const std::function<bool()> &done)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (done())
            QCoreApplication::quit();
    });
    QTimer::singleShot(0, &probe, [&] {
        clock.start();
        probe.start(5);
        start();
    });
    QCoreApplication::exec();
    return {clock.nsecsElapsed() / 1e6, longest / 1e6};
}

inline bool runTool(const QString &program, const QStringList &args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    QProcess proc;
    proc.setStandardOutputFile(QProcess::nullDevice());
    proc.start(program, args);
    return proc.waitForFinished(-1) && proc.exitStatus() == QProcess::NormalExit &&
           proc.exitCode() == 0;
}

inline bool toolInstalled(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace BenchUtils

#endif
