#include "imaging/thumbnailfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include "imaging/pictureloader.h"
#include "imaging/regularfile.h"

namespace {

const char *const timeKey = "Thumb::MTime";
const char *const sizeKey = "Thumb::Size";

bool turnedByTag(const QString &picturePath)
{
    RegularFile file(picturePath);
    if (!file.isOpen())
        return false;
    QImageReader reader(&file);
    return reader.canRead() && reader.transformation() != QImageIOHandler::TransformationNone;
}

bool belongsTo(const QImage &thumbnail, const QString &thumbPath, const QFileInfo &picture)
{
    if (!picture.exists())
        return false;
    const QString time = thumbnail.text(timeKey);
    const QString size = thumbnail.text(sizeKey);
    if (!time.isEmpty() || !size.isEmpty()) {
        const ThumbnailFile::Stamp now = ThumbnailFile::stampOf(picture.filePath());
        return time == now.modified && size == now.size;
    }

    const QFileInfo thumb(thumbPath);
    return thumb.lastModified() >= picture.lastModified() &&
           thumb.lastModified() >= picture.metadataChangeTime() &&
           !turnedByTag(picture.filePath());
}

} // namespace

ThumbnailFile::Stamp ThumbnailFile::stampOf(const QString &picturePath)
{
    const QFileInfo picture(picturePath);
    if (!picture.exists())
        return Stamp();
    return {QString::number(picture.lastModified().toSecsSinceEpoch()),
            QString::number(picture.size())};
}

QImage ThumbnailFile::load(const QString &thumbPath, const QString &picturePath)
{
    // Decoded at its own size, so the text chunks come along with it.
    const QImage thumbnail =
        PictureLoader::loadScaled(thumbPath, PictureLoader::pictureSize(thumbPath));
    if (thumbnail.isNull() || !belongsTo(thumbnail, thumbPath, QFileInfo(picturePath)))
        return QImage();
    return thumbnail;
}

bool ThumbnailFile::save(const QString &thumbPath, const QImage &image, const Stamp &picture)
{
    if (image.isNull() || picture.modified.isEmpty())
        return false;
    QSaveFile file(thumbPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the image: the writer's own text call cannot keep "::" in a key.
    QImage stamped = image;
    stamped.setText(timeKey, picture.modified);
    stamped.setText(sizeKey, picture.size);
    QImageWriter writer(&file, "PNG");
    if (!writer.write(stamped)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
