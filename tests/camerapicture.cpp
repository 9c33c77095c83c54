#include "camerapicture.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTransform>

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>

namespace TestUtils {

QImage quadrantImage(const QSize &size, const Quadrants &colours)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    p.fillRect(0, 0, w, h, colours[0]);
    p.fillRect(w, 0, size.width() - w, h, colours[1]);
    p.fillRect(0, h, w, size.height() - h, colours[2]);
    p.fillRect(w, h, size.width() - w, size.height() - h, colours[3]);
    return image;
}

Quadrants quadrantsOf(const QImage &image, const QRect &area)
{
    Quadrants found;
    for (int i = 0; i < 4; ++i) {
        const int col = i % 2;
        const int row = i / 2;
        found[i] = image.pixelColor(area.left() + (2 * col + 1) * area.width() / 4,
                                    area.top() + (2 * row + 1) * area.height() / 4);
    }
    return found;
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 48 && qAbs(a.green() - b.green()) < 48 &&
           qAbs(a.blue() - b.blue()) < 48;
}

bool near(const Quadrants &a, const Quadrants &b)
{
    for (int i = 0; i < 4; ++i) {
        if (!near(a[i], b[i]))
            return false;
    }
    return true;
}

QImage storedForOrientation(const QImage &upright, int orientation)
{
    // The tag says where the stored rows and columns belong: 2 and 4 are
    // mirrors, 3 a half turn, 5 and 7 mirrors across a diagonal, 6 stored
    // a quarter turn anticlockwise (shown turned clockwise), 8 the reverse.
    const QTransform transpose(0, 1, 1, 0, 0, 0);
    switch (orientation) {
    case 2: return upright.mirrored(true, false);
    case 3: return upright.mirrored(true, true);
    case 4: return upright.mirrored(false, true);
    case 5: return upright.transformed(transpose);
    case 6: return upright.transformed(QTransform().rotate(-90));
    case 7: return upright.transformed(transpose).mirrored(true, true);
    case 8: return upright.transformed(QTransform().rotate(90));
    default: return upright;
    }
}

namespace {

QByteArray exifSegment(int orientation, const QByteArray &thumbnailJpeg)
{
    ExifData *exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    if (orientation > 0) {
        ExifEntry *entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
        exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, ExifShort(orientation));
        exif_entry_unref(entry);
    }
    if (!thumbnailJpeg.isEmpty()) {
        exif->data = static_cast<unsigned char *>(std::malloc(size_t(thumbnailJpeg.size())));
        std::memcpy(exif->data, thumbnailJpeg.constData(), size_t(thumbnailJpeg.size()));
        exif->size = uint(thumbnailJpeg.size());
    }
    unsigned char *bytes = nullptr;
    unsigned int length = 0;
    exif_data_save_data(exif, &bytes, &length);
    exif_data_unref(exif);
    const int segmentLength = int(length) + 2;
    QByteArray segment("\xff\xe1", 2);
    segment.append(char(segmentLength >> 8)).append(char(segmentLength & 0xff));
    segment.append(reinterpret_cast<const char *>(bytes), int(length));
    std::free(bytes);
    return segment;
}

QByteArray jpegBytes(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return buffer.data();
}

} // namespace

bool writeCameraPicture(const QString &path, const QImage &stored, int orientation,
                        const QImage &thumbnail)
{
    QByteArray jpeg = jpegBytes(stored);
    if (jpeg.size() < 2)
        return false;
    const QByteArray thumbnailJpeg = thumbnail.isNull() ? QByteArray() : jpegBytes(thumbnail);
    // Cameras put the EXIF block right after the start marker.
    jpeg.insert(2, exifSegment(orientation, thumbnailJpeg));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size();
}

} // namespace TestUtils
