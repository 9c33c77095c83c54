// HEIF as phones write it: a 4032 x 3024 primary picture with a 320 x 240
// thumbnail. How long the picture's size takes (the full-screen view asks
// for it first), the full-screen view at the default settings (300 x 225
// before the turn: the thumbnail covers it), the preview, and the whole
// primary picture for comparison.

#include <QApplication>
#include <QLabel>
#include <QPixmap>

#include <fcntl.h>
#include <unistd.h>

#include <libheif/heif.h>

#include "benchutils.h"
#include "tesseldata.h"
#include "fullpic.h"
#include "heifpicture.h"
#include "pictureloader.h"
#include "folder.h"

namespace {

const char *const folder = "/tmp/tessel-bench-heif";
const QSize primarySize(4032, 3024);

// Encoded once through libheif from one of the benchmark photos, and kept.
QString makeHeif()
{
    const QString path = QString(folder) + "/IMG_0001.HEIC";
    if (QFile::exists(path))
        return path;
    const QStringList photos = BenchUtils::makePhotos("/tmp/tessel-bench-photos", 1);
    if (photos.isEmpty())
        return QString();
    const QImage photo = QImage(photos.first())
                             .scaled(primarySize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    heif_image_handle *handle = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoder_set_parameter(encoder, "preset", "ultrafast");
    heif_image_create(photo.width(), photo.height(), heif_colorspace_RGB,
                      heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, photo.width(), photo.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < photo.height(); ++y)
        memcpy(plane + y * stride, photo.constScanLine(y), size_t(photo.width() * 3));
    const bool written =
        heif_context_encode_image(context, image, encoder, nullptr, &handle).code == 0 &&
        heif_context_encode_thumbnail(context, image, handle, encoder, nullptr, 320, nullptr)
                .code == 0 &&
        heif_context_write_to_file(context, QFile::encodeName(path)).code == 0;
    heif_image_handle_release(handle);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return written ? path : QString();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir().mkpath(folder);
    const QString path = makeHeif();
    if (path.isEmpty()) {
        fprintf(stderr, "cannot write the HEIF file (needs libheif's HEVC encoder)\n");
        return 1;
    }
    const Folder dir{QString(folder)};
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());

    TesselData settings;
    FullPic viewer(nullptr, "FullPicture", true, &settings);
    viewer.hide();

    QSize size;
    const double sizeMs =
        BenchUtils::bestMs([&] { size = PictureLoader::pictureSize(dir.descriptor(), name); }, 20);
    const double fullMs = BenchUtils::bestMs([&] { viewer.loadPicture(path); }, 5);
    const QSize shown = viewer.PixmapLabel->pixmap().size();
    const double previewMs = BenchUtils::bestMs(
        [&] { PictureLoader::loadPreview(dir.descriptor(), name, QSize(240, 180)); }, 5);
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const double primaryMs =
        BenchUtils::bestMs([fd] { HeifPicture::load(fd, primarySize); }, 3);
    close(fd);

    printf("HEIF %dx%d with a 320x240 thumbnail, %lld bytes\n", primarySize.width(),
           primarySize.height(), static_cast<long long>(QFileInfo(path).size()));
    printf("picture size: %dx%d in %.2f ms (target <= 5 ms)\n", size.width(), size.height(),
           sizeMs);
    printf("full screen %dx%d, rotation %d: %.1f ms (target <= 60 ms)\n", shown.width(),
           shown.height(), settings.fullScreenRotation, fullMs);
    printf("preview 240x180: %.1f ms\n", previewMs);
    printf("whole primary picture: %.1f ms (full screen %.1fx faster)\n", primaryMs,
           primaryMs / fullMs);
    fflush(stdout);
    return 0;
}
