#include "imaging/pictureloader.h"

#include <QImageReader>
#include <QPainter>

#include "imaging/embeddedthumbnail.h"
#include "imaging/memorybudget.h"
#include "imaging/regularfile.h"

namespace {

bool turnsQuarter(const QImageReader &reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

// The stored size from the header, checked before anything is decoded: a
// file that claims a gigantic picture must not get the chance to take the
// memory. Invalid when the picture cannot or must not be decoded.
QSize decodableSize(QImageReader &reader, const QByteArray &format)
{
    reader.setDecideFormatFromContent(format.isEmpty());
    if (!reader.canRead())
        return QSize();
    const QSize size = reader.size();
    if (!size.isValid())
        return QSize();
    const qint64 pixels = qint64(size.width()) * size.height();
    // Only JPEG decodes scaled; every other format builds the whole picture.
    const bool scalesWhileDecoding = reader.format().toLower() == "jpeg";
    if (pixels > (scalesWhileDecoding ? PictureLoader::maxPixels
                                      : MemoryBudget::maxFullDecodePixels))
        return QSize();
    return size;
}

// libjpeg takes its limit when a reader opens the file, before the header.
void keepDecodersToBudget()
{
    static const bool applied = (MemoryBudget::applyToDecoders(), true);
    Q_UNUSED(applied);
}

QImage decodeUpright(QImageReader &reader, const QSize &size)
{
    reader.setAllocationLimit(int(MemoryBudget::imageBytes >> 20));
    reader.setAutoTransform(true);
    // The scaled size applies to the picture as stored, before it is turned.
    reader.setScaledSize(turnsQuarter(reader) ? size.transposed() : size);
    QImage image;
    {
        MemoryBudget::Slot slot;
        image = reader.read();
    }
    if (image.isNull())
        return QImage();
    // Readers without scaled decoding return the full picture.
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage centredOn(const QImage &image, const QSize &size)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawImage((size.width() - image.width()) / 2, (size.height() - image.height()) / 2,
                      image);
    return canvas;
}

} // namespace

QSize PictureLoader::boundedSize(const QSize &size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return QSize();
    return size.boundedTo(QSize(MemoryBudget::maxSide, MemoryBudget::maxSide));
}

QImage PictureLoader::loadScaled(const QString &path, const QSize &size, const QByteArray &format)
{
    return load(path, size, format, false);
}

QImage PictureLoader::loadPreview(const QString &path, const QSize &size)
{
    return load(path, size, QByteArray(), true);
}

QImage PictureLoader::load(const QString &path, const QSize &size, const QByteArray &format,
                           bool asPreview)
{
    const QSize target = boundedSize(size);
    if (!target.isValid())
        return QImage();
    keepDecodersToBudget();
    RegularFile file(path);
    if (!file.isOpen())
        return QImage();
    const EmbeddedThumbnail thumbnail = asPreview ? EmbeddedThumbnail(file) : EmbeddedThumbnail();
    QImageReader reader(&file, format);
    const QSize stored = decodableSize(reader, format);
    if (!stored.isValid())
        return QImage();
    if (!asPreview)
        return decodeUpright(reader, target);

    const QSize upright = turnsQuarter(reader) ? stored.transposed() : stored;
    const QSize shown = isPortrait(upright)
                            ? upright.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1))
                            : target;
    QImage image = thumbnail.standIn(stored, reader.transformation(), shown);
    if (image.isNull())
        image = decodeUpright(reader, shown);
    if (image.isNull() || shown == target)
        return image;
    return centredOn(image, target);
}

QSize PictureLoader::pictureSize(const QString &path, const QByteArray &format)
{
    keepDecodersToBudget();
    RegularFile file(path);
    if (!file.isOpen())
        return QSize();
    QImageReader reader(&file, format);
    const QSize stored = decodableSize(reader, format);
    return turnsQuarter(reader) ? stored.transposed() : stored;
}
