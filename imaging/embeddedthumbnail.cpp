#include "embeddedthumbnail.h"

#include <QBuffer>
#include <QIODevice>
#include <QRect>
#include <QTransform>

#include <libexif/exif-data.h>
#include <libexif/exif-loader.h>

#include "jpegdecoder.h"

#include <cstdlib>

namespace {

// EXIF blocks end within 64 KB; a thumbnail claiming more is no thumbnail.
const int maxThumbnailSide = 1024;
const int readChunk = 4096;
// Cameras fill bands with black, which JPEG noise lifts a little.
const int darkestBand = 48;
// Sizes round differently in each camera: one pixel of slack at each edge.
const int edgeSlack = 1;

QByteArray thumbnailBytes(QIODevice &device)
{
    ExifLoader *loader = exif_loader_new();
    char chunk[readChunk];
    qint64 got;
    while ((got = device.read(chunk, readChunk)) > 0 &&
           exif_loader_write(loader, reinterpret_cast<unsigned char *>(chunk), uint(got))) {
    }
    QByteArray bytes;
    if (ExifData *exif = exif_loader_get_data(loader)) {
        if (exif->data && exif->size > 0)
            bytes = QByteArray(reinterpret_cast<const char *>(exif->data), int(exif->size));
        exif_data_unref(exif);
    }
    exif_loader_unref(loader);
    return bytes;
}

bool isDark(QRgb pixel)
{
    return qRed(pixel) <= darkestBand && qGreen(pixel) <= darkestBand &&
           qBlue(pixel) <= darkestBand;
}

// True when every pixel of `image` outside `content` (less the slack next
// to it) is dark.
bool bandsAreDark(const QImage &image, const QRect &content)
{
    const QRect slack = content.adjusted(-edgeSlack, -edgeSlack, edgeSlack, edgeSlack);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (!slack.contains(x, y) && !isDark(line[x]))
                return false;
        }
    }
    return true;
}

bool lineIsDark(const QImage &image, const QRect &line)
{
    for (int y = line.top(); y <= line.bottom(); ++y) {
        for (int x = line.left(); x <= line.right(); ++x) {
            if (!isDark(image.pixel(x, y)))
                return false;
        }
    }
    return true;
}

// Dark lines on two opposite edges look like bands of a photo of another
// aspect: a stale thumbnail (or a dark photo, which then is decoded).
bool edgesLookBanded(const QImage &image, const QRect &area)
{
    const QRect top(area.left(), area.top(), area.width(), 1);
    const QRect bottom(area.left(), area.bottom(), area.width(), 1);
    const QRect left(area.left(), area.top(), 1, area.height());
    const QRect right(area.right(), area.top(), 1, area.height());
    return (lineIsDark(image, top) && lineIsDark(image, bottom)) ||
           (lineIsDark(image, left) && lineIsDark(image, right));
}

} // namespace

QRect EmbeddedThumbnail::photoArea(const QImage &thumbnail, const QSize &storedSize)
{
    const QRect whole = thumbnail.rect();
    const QSize fitted = storedSize.scaled(whole.size(), Qt::KeepAspectRatio);
    const int spareWidth = whole.width() - fitted.width();
    const int spareHeight = whole.height() - fitted.height();
    QRect area = whole;
    if (spareWidth > 2 * edgeSlack || spareHeight > 2 * edgeSlack) {
        area = QRect(QPoint(spareWidth / 2, spareHeight / 2), fitted);
        if (!bandsAreDark(thumbnail, area))
            return QRect();
        // Stay clear of the band's edge, whichever way the camera rounded it.
        if (spareWidth > 2 * edgeSlack)
            area.adjust(edgeSlack, 0, -edgeSlack, 0);
        if (spareHeight > 2 * edgeSlack)
            area.adjust(0, edgeSlack, 0, -edgeSlack);
    }
    if (area.isEmpty() || edgesLookBanded(thumbnail, area))
        return QRect();
    return area;
}

EmbeddedThumbnail::EmbeddedThumbnail(QIODevice &device)
{
    if (JpegDecoder::startsAsJpeg(device))
        jpeg = thumbnailBytes(device);
    device.seek(0);
}

QImage EmbeddedThumbnail::decoded(const std::atomic<bool> *cancelled) const
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    // Bounded like any picture: a thumbnail can be a scan bomb too.
    JpegDecoder decoder(buffer, cancelled);
    const QSize size = decoder.storedSize();
    if (!size.isValid() || size.width() > maxThumbnailSide || size.height() > maxThumbnailSide)
        return QImage();
    return decoder.read(size);
}

QImage EmbeddedThumbnail::standIn(const QSize &storedSize,
                                  QImageIOHandler::Transformations orientation,
                                  const QSize &size, const std::atomic<bool> *cancelled) const
{
    if (!isPresent() || storedSize.isEmpty())
        return QImage();
    const QImage thumbnail = decoded(cancelled);
    if (thumbnail.isNull())
        return QImage();
    const QRect area = photoArea(thumbnail, storedSize);
    if (area.isEmpty())
        return QImage();
    const QImage photo = upright(thumbnail.copy(area), orientation);
    if (photo.width() < size.width() || photo.height() < size.height())
        return QImage();
    return photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage EmbeddedThumbnail::upright(const QImage &image,
                                  QImageIOHandler::Transformations orientation)
{
    // The tag's eight values are a mirror, a flip, both, or none, followed
    // by a quarter turn clockwise or not; a three-quarter turn is a half
    // turn (mirror and flip) and a quarter turn.
    QImage result = image.mirrored(orientation & QImageIOHandler::TransformationMirror,
                                   orientation & QImageIOHandler::TransformationFlip);
    if (orientation & QImageIOHandler::TransformationRotate90)
        result = result.transformed(QTransform().rotate(90));
    return result;
}
