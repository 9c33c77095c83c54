// Full-screen view of 12-megapixel photos at the default settings: the
// viewer's own path (decode at the needed size, then turn) against the
// straightforward one (full decode, turn, stretch), and the window's
// longest stall while the load queue decodes one for the viewer.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QTransform>

#include <cstdio>

#include "benchutils.h"
#include "tesseldata.h"
#include "folder.h"
#include "fullpic.h"
#include "loadqueue.h"

namespace {

QPixmap fullDecodeTurnStretch(const QString &path, const TesselData &settings)
{
    QPixmap source;
    if (!source.load(path, "JPEG"))
        return QPixmap();
    const QPixmap turned =
        source.transformed(QTransform().rotate(double(settings.fullScreenRotation)));
    const double sx = double(settings.fullScreenWidth) / turned.width();
    const double sy = double(settings.fullScreenHeight) / turned.height();
    return turned.transformed(QTransform().scale(sx, sy));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString dir = QDir::tempPath() + "/tessel-bench-photos";
    const QStringList photos = BenchUtils::makePhotos(dir, 6);
    if (photos.isEmpty())
        return 1;

    TesselData settings;
    FullPic viewer(nullptr, "FullPicture", true, &settings);
    viewer.hide();

    printf("full-screen view, %lld photos of 4000 x 3000, rotation %d, %d x %d\n",
           qlonglong(photos.size()), settings.fullScreenRotation, settings.fullScreenWidth,
           settings.fullScreenHeight);
    printf("%-14s %12s %12s %8s\n", "photo", "viewer ms", "literal ms", "ratio");

    double viewerTotal = 0;
    double literalTotal = 0;
    for (const QString &photo : photos) {
        const double viewerMs = BenchUtils::bestMs([&] { viewer.loadPicture(photo); }, 5);
        const double literalMs =
            BenchUtils::bestMs([&] { fullDecodeTurnStretch(photo, settings); }, 5);
        if (viewer.PixmapLabel->pixmap().size() != QSize(225, 300))
            printf("warning: viewer showed no picture for %s\n", qPrintable(photo));
        viewerTotal += viewerMs;
        literalTotal += literalMs;
        printf("%-14s %12.1f %12.1f %7.1fx\n", qPrintable(QFileInfo(photo).fileName()), viewerMs,
               literalMs, literalMs / viewerMs);
    }
    const int n = int(photos.size());
    printf("%-14s %12.1f %12.1f %7.1fx\n", "mean", viewerTotal / n, literalTotal / n,
           literalTotal / viewerTotal);

    printf("through the load queue: %-8s %12s %12s\n", "photo", "wall ms", "stall ms");
    LoadQueue queue;
    const auto folder = std::make_shared<const Folder>(dir);
    double longest = 0;
    for (const QString &photo : photos) {
        const FolderEntry entry(folder, QFile::encodeName(QFileInfo(photo).fileName()));
        const BenchUtils::Stalls stalls = BenchUtils::measureStalls(
            [&] { viewer.loadPicture(queue, entry); },
            [&] { return !viewer.PixmapLabel->pixmap().isNull(); });
        longest = std::max(longest, stalls.stallMs);
        printf("%-32s %12.1f %12.1f\n", qPrintable(QFileInfo(photo).fileName()), stalls.wallMs,
               stalls.stallMs);
    }
    printf("longest stall of the window while a full-screen picture loads: %.1f ms\n", longest);
    fflush(stdout);
    return 0;
}
