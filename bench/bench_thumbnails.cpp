// Thumbnails of 12-megapixel photos: what the browser's run does for one
// photo (decode at the preview size, write the PNG) against a full decode with scaling,
// against vipsthumbnail (one call for all photos) and against libjpeg's
// djpeg at 1/8 scale.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTransform>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "benchutils.h"
#include "pictureloader.h"
#include "thumbnailfile.h"
#include "folder.h"

namespace {

const int photoCount = 6;
const int runs = 5;

// Best time of what a run does for each photo, off the window's thread:
// its stamp, the decode at the preview size (from the embedded thumbnail
// where that stands in), the PNG written.
std::vector<double> perPhotoMs(const QString &dir, const QStringList &photos, const QSize &size)
{
    const Folder folder(dir);
    std::vector<double> best;
    for (const QString &photo : photos) {
        const QByteArray name = QFile::encodeName(QFileInfo(photo).fileName());
        best.push_back(BenchUtils::bestMs(
            [&] {
                const ThumbnailFile::Stamp stamp = ThumbnailFile::stampOf(folder.descriptor(), name);
                QImage image = PictureLoader::quickPreview(folder.descriptor(), name, size);
                if (image.isNull())
                    image = PictureLoader::loadPreview(folder.descriptor(), name, size);
                if (!ThumbnailFile::save(folder.descriptor(), "_thumbnail", name, image, stamp))
                    fprintf(stderr, "no thumbnail of %s\n", name.constData());
            },
            runs));
    }
    return best;
}

double straightforwardMs(const QString &path, const QString &out)
{
    return BenchUtils::bestMs(
        [&] {
            QPixmap full(path);
            const QTransform scale =
                QTransform::fromScale(100.0 / full.width(), 75.0 / full.height());
            if (!full.transformed(scale).save(out, "PNG"))
                fprintf(stderr, "straightforward thumbnail of %s failed\n", qPrintable(path));
        },
        runs);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList photos = BenchUtils::makePhotos("/tmp/tessel-bench-photos", photoCount);
    if (photos.isEmpty())
        return 1;

    QTemporaryDir work;
    const QString dir = work.path() + "/photos";
    const QString out = work.path() + "/out";
    QDir().mkpath(out);
    const QStringList linked = BenchUtils::linkInto(dir, photos);

    const QSize preview(100, 75);
    const std::vector<double> ours = perPhotoMs(dir, linked, preview);

    const bool haveVips = BenchUtils::toolInstalled("vipsthumbnail");
    double vipsEach = 0;
    if (haveVips) {
        QStringList args{"-s", "100x75!", "-o", out + "/%s.png"};
        args << linked;
        vipsEach = BenchUtils::bestMs([&] { BenchUtils::runTool("vipsthumbnail", args); }, runs) /
                   linked.size();
    }
    const bool haveDjpeg = BenchUtils::toolInstalled("djpeg");

    printf("\nthumbnail of %d photos (4000x3000 JPEG) at %dx%d, best of %d runs, ms per photo\n",
           int(linked.size()), preview.width(), preview.height(), runs);
    printf("%-14s %8s %9s %8s %8s %11s %10s %14s\n", "photo", "ours", "straight", "vips", "djpeg",
           "ours/djpeg", "ours/vips", "straight/ours");
    double oursTotal = 0, straightTotal = 0, djpegTotal = 0, slowestStep = 0;
    for (int i = 0; i < linked.size(); ++i) {
        const QString &path = linked[i];
        const double straight = straightforwardMs(path, out + "/straight.png");
        double tool = 0;
        if (haveDjpeg)
            tool = BenchUtils::bestMs(
                [&] { BenchUtils::runTool("djpeg", {"-scale", "1/8", path}); }, runs);
        oursTotal += ours[i];
        straightTotal += straight;
        djpegTotal += tool;
        slowestStep = std::max(slowestStep, ours[i]);
        printf("%-14s %8.1f %9.1f %8.1f %8.1f %11.2f %10.2f %14.1f\n",
               qPrintable(QFileInfo(path).fileName()), ours[i], straight, vipsEach, tool,
               haveDjpeg ? ours[i] / tool : 0.0, haveVips ? ours[i] / vipsEach : 0.0,
               straight / ours[i]);
    }
    const double n = linked.size();
    printf("%-14s %8.1f %9.1f %8.1f %8.1f %11.2f %10.2f %14.1f\n", "mean", oursTotal / n,
           straightTotal / n, vipsEach, djpegTotal / n,
           haveDjpeg ? oursTotal / djpegTotal : 0.0, haveVips ? oursTotal / n / vipsEach : 0.0,
           straightTotal / oursTotal);
    if (!haveVips || !haveDjpeg)
        printf("(a column of 0.0: the tool is not installed)\n");

    printf("slowest single photo %.1f ms (bench_thumbnailrun times whole runs)\n", slowestStep);
    return 0;
}
