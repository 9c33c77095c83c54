#include "browser/pictureloader.h"

#include <QImageReader>

QImage PictureLoader::loadScaled(const QString &path, const QSize &size, const QByteArray &format)
{
    if (size.width() <= 0 || size.height() <= 0)
        return QImage();

    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    if (!reader.canRead())
        return QImage();
    reader.setScaledSize(size);
    QImage image = reader.read();
    if (image.isNull())
        return QImage();
    // Readers without scaled decoding return the full picture.
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QSize PictureLoader::pictureSize(const QString &path, const QByteArray &format)
{
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    return reader.canRead() ? reader.size() : QSize();
}
