// Preview of 12-megapixel photos: the loader's own path against a full
// decode followed by scaling, and against libjpeg's command-line decoder at
// 1/8 scale (the floor for any JPEG preview that decodes the photo). Camera
// photos carry an embedded thumbnail, plain ones do not.

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTransform>

#include <cstdio>

#include "benchutils.h"
#include "pictureloader.h"

namespace {

const int photoCount = 6;
const int runs = 5;
const QSize previewSize(100, 75);

double straightforwardMs(const QString &path)
{
    return BenchUtils::bestMs(
        [&] {
            QPixmap full(path);
            const QTransform scale =
                QTransform::fromScale(100.0 / full.width(), 75.0 / full.height());
            const QPixmap small = full.transformed(scale);
            if (small.isNull())
                fprintf(stderr, "straightforward preview of %s failed\n", qPrintable(path));
        },
        runs);
}

void compare(const char *title, const QStringList &photos)
{
    const bool haveDjpeg = BenchUtils::toolInstalled("djpeg");
    printf("\n%s: preview of %d photos (4000x3000 JPEG) at %dx%d, best of %d runs, ms\n", title,
           int(photos.size()), previewSize.width(), previewSize.height(), runs);
    printf("%-14s %9s %9s %9s %12s %14s\n", "photo", "ours", "straight", "djpeg", "ours/djpeg",
           "straight/ours");

    double oursTotal = 0, straightTotal = 0, djpegTotal = 0;
    for (const QString &path : photos) {
        const double ours = BenchUtils::bestMs(
            [&] {
                if (PictureLoader::loadPreview(path, previewSize).isNull())
                    fprintf(stderr, "our preview of %s failed\n", qPrintable(path));
            },
            runs);
        const double straight = straightforwardMs(path);
        double tool = 0;
        if (haveDjpeg)
            tool = BenchUtils::bestMs(
                [&] { BenchUtils::runTool("djpeg", {"-scale", "1/8", path}); }, runs);
        oursTotal += ours;
        straightTotal += straight;
        djpegTotal += tool;
        printf("%-14s %9.2f %9.1f %9.1f %12.3f %14.1f\n", qPrintable(QFileInfo(path).fileName()),
               ours, straight, tool, haveDjpeg ? ours / tool : 0.0, straight / ours);
    }
    printf("%-14s %9.2f %9.1f %9.1f %12.3f %14.1f\n", "total", oursTotal, straightTotal,
           djpegTotal, haveDjpeg ? oursTotal / djpegTotal : 0.0, straightTotal / oursTotal);
    if (!haveDjpeg)
        printf("(djpeg not installed: its columns are 0)\n");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList plain = BenchUtils::makePhotos("/tmp/tessel-bench-photos", photoCount);
    const QStringList camera = BenchUtils::makeCameraPhotos("/tmp/tessel-bench-camera", photoCount);
    if (plain.isEmpty() || camera.isEmpty())
        return 1;
    compare("camera photos, embedded thumbnail", camera);
    compare("plain photos, decoded", plain);
    return 0;
}
