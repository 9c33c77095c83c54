#ifndef EMBEDDEDTHUMBNAIL_H
#define EMBEDDEDTHUMBNAIL_H

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QRect>
#include <QSize>

#include <atomic>

class QIODevice;

// The small picture a camera stores in a JPEG's EXIF block. Decoding it
// takes a fraction of a millisecond where even a 1/8-scale decode of the
// photo takes tens, so previews come from it whenever it is fit to stand in
// for the photo.
class EmbeddedThumbnail
{
public:
    EmbeddedThumbnail() = default;
    // Reads the EXIF block at the start of `device` (left at position 0).
    explicit EmbeddedThumbnail(QIODevice &device);

    bool isPresent() const { return !jpeg.isEmpty(); }

    // The thumbnail standing in for a photo of `storedSize` (its size as
    // stored, before `orientation`): black bands cut off, turned upright
    // and scaled to `size`. Null when there is none, it is smaller than
    // `size`, or its content does not have the photo's aspect (edited
    // photos often keep the camera's stale thumbnail).
    // Decodes within JpegDecoder's bounds; `cancelled` stops it.
    QImage standIn(const QSize &storedSize, QImageIOHandler::Transformations orientation,
                   const QSize &size, const std::atomic<bool> *cancelled = nullptr) const;

    // `image` turned and mirrored as the orientation tag says.
    static QImage upright(const QImage &image, QImageIOHandler::Transformations orientation);

    // The part of `thumbnail` that shows a photo of `storedSize`, black
    // bands left out; empty when it does not show such a photo.
    static QRect photoArea(const QImage &thumbnail, const QSize &storedSize);

private:
    QImage decoded(const std::atomic<bool> *cancelled) const;

    QByteArray jpeg;
};

#endif
