#include "imaging/pictureloader.h"

#include <QImageReader>

namespace {

bool decodable(const QSize &size)
{
    return size.isValid() && qint64(size.width()) * size.height() <= PictureLoader::maxPixels;
}

} // namespace

QImage PictureLoader::loadScaled(const QString &path, const QSize &size, const QByteArray &format)
{
    if (size.width() <= 0 || size.height() <= 0)
        return QImage();

    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    // The header is checked before anything is decoded: a file that claims
    // a gigantic picture must not get the chance to take the memory.
    if (!reader.canRead() || !decodable(reader.size()))
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
