// Preview of 12-megapixel photos: the browser's own path against a full
// decode followed by scaling, and against libjpeg's command-line decoder at
// 1/8 scale (the floor for any JPEG preview).

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTransform>

#include <cstdio>

#include "bench/benchutils.h"
#include "browser/tesselview.h"
#include "config/tesseldata.h"

namespace {

const int photoCount = 6;
const int runs = 5;

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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList photos = BenchUtils::makePhotos("/tmp/tessel-bench-photos", photoCount);
    if (photos.isEmpty())
        return 1;
    const QString dir = QFileInfo(photos.first()).absolutePath();

    TesselData data;
    data.leftPath = dir;
    data.rightPath = dir;
    data.fileExt = "jpg";
    TesselView view(nullptr, &data, data.flashPath, data.fileExt);

    const bool haveDjpeg = BenchUtils::toolInstalled("djpeg");
    printf("preview of %d photos (4000x3000 JPEG) at %dx%d, best of %d runs, ms\n",
           int(photos.size()), data.previewWidth, data.previewHeight, runs);
    printf("%-14s %9s %9s %9s %12s %14s\n", "photo", "ours", "straight", "djpeg",
           "ours/djpeg", "straight/ours");

    double oursTotal = 0, straightTotal = 0, djpegTotal = 0;
    for (const QString &path : photos) {
        const QString name = QFileInfo(path).fileName();
        const double ours = BenchUtils::bestMs(
            [&] {
                if (!view.loadSmallPic(dir, name, true))
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
        if (haveDjpeg)
            printf("%-14s %9.1f %9.1f %9.1f %12.2f %14.1f\n", qPrintable(name), ours, straight,
                   tool, ours / tool, straight / ours);
        else
            printf("%-14s %9.1f %9.1f %9s %12s %14.1f\n", qPrintable(name), ours, straight, "-",
                   "-", straight / ours);
    }
    if (haveDjpeg)
        printf("%-14s %9.1f %9.1f %9.1f %12.2f %14.1f\n", "total", oursTotal, straightTotal,
               djpegTotal, oursTotal / djpegTotal, straightTotal / oursTotal);
    else
        printf("%-14s %9.1f %9.1f %9s %12s %14.1f\n(djpeg not installed)\n", "total", oursTotal,
               straightTotal, "-", "-", straightTotal / oursTotal);
    return 0;
}
