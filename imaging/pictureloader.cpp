#include "pictureloader.h"

#include <QImageReader>
#include <QPainter>

#include <memory>

#include "embeddedthumbnail.h"
#include "heifpicture.h"
#include "rawpreview.h"
#include "videopreview.h"
#include "jpegdecoder.h"
#include "memorybudget.h"
#include "filekind.h"
#include "regularfile.h"

namespace {

bool isJpegFormat(const QByteArray &format)
{
    const QByteArray lower = format.toLower();
    return lower == "jpeg" || lower == "jpg";
}

// Qt's readers are left to set up their own limits from the environment
// when they open a file; main() sets it before any thread runs.
void keepDecodersToBudget()
{
    static const bool applied = (MemoryBudget::applyToDecoders(), true);
    Q_UNUSED(applied);
}

// One picture opened for decoding: a JPEG through JpegDecoder, any other
// format through Qt's readers. Its size is checked before anything is
// decoded: a file that claims a gigantic picture must not get the chance
// to take the memory.
class Picture
{
public:
    Picture(RegularFile &file, const QByteArray &format, const std::atomic<bool> *cancelled)
    {
        keepDecodersToBudget();
        if (isJpegFormat(format) || (format.isEmpty() && JpegDecoder::startsAsJpeg(file))) {
            jpeg = std::make_unique<JpegDecoder>(file, cancelled);
            takeSize(jpeg->storedSize(), jpeg->transformation(), PictureLoader::maxPixels);
            return;
        }
        reader = std::make_unique<QImageReader>(&file, format);
        reader->setDecideFormatFromContent(format.isEmpty());
        // A JPEG that got past the test above still goes nowhere but libjpeg.
        if (!reader->canRead() || isJpegFormat(reader->format()))
            return;
        // Every other format builds the whole picture.
        takeSize(reader->size(), reader->transformation(), MemoryBudget::maxFullDecodePixels);
    }

    // As stored, before it is turned; invalid when it must not be decoded.
    QSize storedSize() const { return stored; }
    QImageIOHandler::Transformations transformation() const { return orientation; }
    bool turnsQuarter() const { return orientation & QImageIOHandler::TransformationRotate90; }
    QSize uprightSize() const { return turnsQuarter() ? stored.transposed() : stored; }

    // Decoded to exactly `size` once turned upright; null when it fails.
    QImage readUpright(const QSize &size)
    {
        if (!stored.isValid())
            return QImage();
        // The size asked of the decoder is the picture's as stored.
        const QSize storedTarget = turnsQuarter() ? size.transposed() : size;
        QImage image;
        if (jpeg) {
            {
                MemoryBudget::Slot slot;
                image = jpeg->read(storedTarget);
            }
            if (image.isNull())
                return QImage();
            return orientation == QImageIOHandler::TransformationNone
                       ? image
                       : EmbeddedThumbnail::upright(image, orientation);
        }
        reader->setAllocationLimit(int(MemoryBudget::imageBytes >> 20));
        reader->setAutoTransform(true);
        reader->setScaledSize(storedTarget);
        {
            MemoryBudget::Slot slot;
            image = reader->read();
        }
        if (image.isNull())
            return QImage();
        // Readers without scaled decoding return the full picture.
        if (image.size() != size)
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image;
    }

private:
    void takeSize(const QSize &size, QImageIOHandler::Transformations turn, qint64 maxPixels)
    {
        if (!size.isEmpty() && qint64(size.width()) * size.height() <= maxPixels) {
            stored = size;
            orientation = turn;
        }
    }

    std::unique_ptr<JpegDecoder> jpeg;
    std::unique_ptr<QImageReader> reader;
    QSize stored;
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
};

// RAW, HEIF and video files show a picture of their own kind, upright:
// the camera's JPEG preview, the HEIF's thumbnail or primary image, the
// video's .THM or a film strip; a RAW or HEIF without one its .THM.
// `handled` says whether the name is of such a kind; the image is null
// when it failed.
QImage ownKindImage(int dirFd, const QByteArray &name, const QSize &atLeast, bool largest,
                    const std::atomic<bool> *cancelled, bool *handled)
{
    *handled = true;
    const FileKind::Kind kind = FileKind::of(name);
    // A film strip is drawn at the size asked for: no larger than a
    // screen's worth, the caller scales it.
    if (kind == FileKind::Video)
        return VideoPreview::load(dirFd, name, atLeast.boundedTo(QSize(640, 480)), cancelled);
    if (kind != FileKind::Raw && kind != FileKind::Heif) {
        *handled = false;
        return QImage();
    }
    RegularFile file(dirFd, name);
    if (!file.isOpen())
        return QImage();
    const QImage own = kind == FileKind::Raw
                           ? RawPreview::load(file.handle(), atLeast, largest, cancelled)
                           : HeifPicture::load(file.handle(), atLeast);
    return own.isNull() ? VideoPreview::thumbnailBeside(dirFd, name, cancelled) : own;
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

QImage PictureLoader::loadScaled(int dirFd, const QByteArray &name, const QSize &size,
                                 const QByteArray &format, const std::atomic<bool> *cancelled)
{
    const QSize target = boundedSize(size);
    bool ownKind = false;
    const QImage own = target.isValid()
                           ? ownKindImage(dirFd, name, target, true, cancelled, &ownKind)
                           : QImage();
    if (ownKind)
        return own.isNull() ? own
                            : own.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    RegularFile file(dirFd, name);
    return load(file, size, format, Preview::No, cancelled);
}

QImage PictureLoader::loadScaled(const QString &path, const QSize &size, const QByteArray &format)
{
    RegularFile file(path);
    return load(file, size, format, Preview::No, nullptr);
}

QImage PictureLoader::loadPreview(int dirFd, const QByteArray &name, const QSize &size,
                                  const std::atomic<bool> *cancelled)
{
    const QSize target = boundedSize(size);
    bool ownKind = false;
    const QImage own = target.isValid()
                           ? ownKindImage(dirFd, name, target, false, cancelled, &ownKind)
                           : QImage();
    if (ownKind)
        return own.isNull() ? own : shaped(own, target);
    RegularFile file(dirFd, name);
    return load(file, size, QByteArray(), Preview::Full, cancelled);
}

QImage PictureLoader::loadPreview(const QString &path, const QSize &size)
{
    RegularFile file(path);
    return load(file, size, QByteArray(), Preview::Full, nullptr);
}

QImage PictureLoader::quickPreview(int dirFd, const QByteArray &name, const QSize &size)
{
    RegularFile file(dirFd, name);
    return load(file, size, QByteArray(), Preview::Quick, nullptr);
}

QImage PictureLoader::load(RegularFile &file, const QSize &size, const QByteArray &format,
                           Preview preview, const std::atomic<bool> *cancelled)
{
    const QSize target = boundedSize(size);
    if (!target.isValid() || !file.isOpen())
        return QImage();
    const EmbeddedThumbnail thumbnail =
        preview != Preview::No ? EmbeddedThumbnail(file) : EmbeddedThumbnail();
    if (preview == Preview::Quick && !thumbnail.isPresent())
        return QImage();
    Picture picture(file, format, cancelled);
    if (!picture.storedSize().isValid())
        return QImage();
    if (preview == Preview::No)
        return picture.readUpright(target);

    const QSize shown = shownSize(picture.uprightSize(), target);
    QImage image =
        thumbnail.standIn(picture.storedSize(), picture.transformation(), shown, cancelled);
    if (image.isNull() && preview == Preview::Full)
        image = picture.readUpright(shown);
    if (image.isNull() || shown == target)
        return image;
    return centredOn(image, target);
}

// A landscape picture stretched to fill the preview, a portrait one fitted
// inside with its aspect kept.
QSize PictureLoader::shownSize(const QSize &upright, const QSize &target)
{
    return isPortrait(upright) ? upright.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1))
                               : target;
}

QImage PictureLoader::shaped(const QImage &upright, const QSize &target)
{
    const QSize shown = shownSize(upright.size(), target);
    const QImage image = upright.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return shown == target ? image : centredOn(image, target);
}

QSize PictureLoader::pictureSize(int dirFd, const QByteArray &name, const QByteArray &format)
{
    if (FileKind::of(name) == FileKind::Heif) {
        RegularFile file(dirFd, name);
        return file.isOpen() ? HeifPicture::uprightSize(file.handle()) : QSize();
    }
    bool ownKind = false;
    const QImage own =
        ownKindImage(dirFd, name, QSize(MemoryBudget::maxSide, MemoryBudget::maxSide), true,
                     nullptr, &ownKind);
    if (ownKind)
        return own.size();
    RegularFile file(dirFd, name);
    return sizeOf(file, format);
}

QSize PictureLoader::pictureSize(const QString &path, const QByteArray &format)
{
    RegularFile file(path);
    return sizeOf(file, format);
}

QSize PictureLoader::sizeOf(RegularFile &file, const QByteArray &format)
{
    if (!file.isOpen())
        return QSize();
    return Picture(file, format, nullptr).uprightSize();
}
