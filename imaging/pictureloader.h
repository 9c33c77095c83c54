#ifndef PICTURELOADER_H
#define PICTURELOADER_H

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Decodes pictures straight to the size they are shown at. JPEGs are then
// scaled inside the decoder (1/2, 1/4, 1/8), which is several times faster
// and far lighter on memory than decoding the full picture first.
class PictureLoader
{
public:
    // Even decoded at an eighth of its size, a picture beyond this takes
    // seconds and hundreds of megabytes; such a file is damaged or no photo.
    static constexpr qint64 maxPixels = qint64(1) << 28;

    // The picture at `path` stretched to exactly `size` (aspect ratio not
    // kept). A null image when the file is missing, is no picture (or not
    // of `format`, when one is given), does not decode, does not tell its
    // size or claims more than maxPixels, or when `size` is empty.
    static QImage loadScaled(const QString &path, const QSize &size,
                             const QByteArray &format = QByteArray());

    // The picture's own size read from its header, without decoding;
    // invalid when the file cannot be read as a picture.
    static QSize pictureSize(const QString &path, const QByteArray &format = QByteArray());
};

#endif
