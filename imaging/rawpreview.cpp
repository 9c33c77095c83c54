#include "rawpreview.h"

#include <QBuffer>

#include "embeddedthumbnail.h"
#include "fileimage.h"
#include "jpegdecoder.h"
#include "memorybudget.h"
#include "rawlayout.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <climits>
#include <limits>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// TIFF offsets are 32 bits; exiv2 takes the size as a long.
const qint64 maxRawBytes = std::min<qint64>(std::numeric_limits<long>::max(), UINT_MAX);
// Even decoded at an eighth, a preview beyond this is no preview.
const qint64 maxPreviewPixels = qint64(1) << 28;
const int maxDecoderShift = 3; // libjpeg decodes at 1/2, 1/4 and 1/8
// What is read of the file shares the decode's budget with the decoder and
// the picture it makes.
const qint64 maxReadBytes =
    MemoryBudget::decodeBytes - MemoryBudget::decoderBytes - MemoryBudget::imageBytes;
static_assert(maxReadBytes >= 32 << 20, "too little left to read a RAW's previews");

void setUpLibraries()
{
    static std::once_flag done;
    std::call_once(done, [] {
        // A broken file is a null preview, not a page of warnings.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF(); // CR3 is an ISO media file
    });
}

bool isCancelled(const std::atomic<bool> *cancelled)
{
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

bool startsAsJpeg(const QByteArray &bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xff && uchar(bytes[1]) == 0xd8;
}

QImageIOHandler::Transformations orientationOf(const Exiv2::ExifData &exif)
{
    const auto tag = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (tag == exif.end() || tag->count() < 1)
        return QImageIOHandler::TransformationNone;
    return JpegDecoder::fromExifOrientation(int(tag->toLong()));
}

QSize sizeOf(const Exiv2::PreviewProperties &preview)
{
    return QSize(int(preview.width_), int(preview.height_));
}

bool covers(const QSize &size, const QSize &need)
{
    return size.width() >= need.width() && size.height() >= need.height();
}

// The previews with a sane size, smallest first, whatever exiv2 calls
// them: their bytes say later whether they are JPEGs.
Exiv2::PreviewPropertiesList saneSizedPreviews(const Exiv2::PreviewManager &manager)
{
    Exiv2::PreviewPropertiesList usable;
    for (const Exiv2::PreviewProperties &preview : manager.getPreviewProperties()) {
        const qint64 pixels = qint64(preview.width_) * preview.height_;
        if (preview.width_ > 0 && preview.height_ > 0 && preview.width_ <= INT_MAX &&
            preview.height_ <= INT_MAX && pixels <= maxPreviewPixels)
            usable.push_back(preview);
    }
    return usable;
}

// Indices into `previews` in the order they are tried.
std::vector<size_t> tryOrder(const Exiv2::PreviewPropertiesList &previews, const QSize &need,
                             bool largest)
{
    std::vector<size_t> order;
    if (largest) {
        for (size_t i = previews.size(); i-- > 0;)
            order.push_back(i);
        return order;
    }
    for (size_t i = 0; i < previews.size(); ++i) {
        if (covers(sizeOf(previews[i]), need) || i + 1 == previews.size())
            order.push_back(i);
    }
    return order;
}

// Where a pair of tags (an offset and a length) puts `size` bytes: how
// maker notes point to their previews.
RawLayout::Block taggedBlock(const Exiv2::ExifData &exif, uint32_t size)
{
    static const std::pair<const char *, const char *> pairs[] = {
        {"JPEGInterchangeFormat", "JPEGInterchangeFormatLength"},
        {"PreviewImageStart", "PreviewImageLength"},
        {"StripOffsets", "StripByteCounts"}};
    for (const Exiv2::Exifdatum &offset : exif) {
        for (const auto &pair : pairs) {
            if (offset.tagName() != pair.first || offset.count() != 1)
                continue;
            const auto length = exif.findKey(
                Exiv2::ExifKey(std::string("Exif.") + offset.groupName() + "." + pair.second));
            if (length != exif.end() && length->count() == 1 &&
                uint32_t(length->toLong()) == size)
                return {qint64(uint32_t(offset.toLong())), qint64(size)};
        }
    }
    return RawLayout::Block();
}

// One RAW being looked at: its bytes as read so far, its structure and
// exiv2's view of it.
class Raw
{
public:
    Raw(FileImage &file, const RawLayout &layout, const Exiv2::Image &parsed)
        : file(file), layout(layout), parsed(parsed), manager(parsed)
    {
    }

    QImage bestPreview(const QSize &atLeast, bool largest, const std::atomic<bool> *cancelled)
    {
        const Exiv2::PreviewPropertiesList previews = saneSizedPreviews(manager);
        if (previews.empty())
            return QImage();
        const QImageIOHandler::Transformations orientation = orientationOf(parsed.exifData());
        const QSize need = (orientation & QImageIOHandler::TransformationRotate90)
                               ? atLeast.transposed()
                               : atLeast;
        // The largest preview is the camera's own rendering of the whole
        // photo: a smaller one showing anything else is stale or banded.
        const QSize photo = sizeOf(previews.back());
        for (const size_t i : tryOrder(previews, need, largest)) {
            if (isCancelled(cancelled))
                return QImage();
            const QImage image = decodeCovering(jpegOf(previews[i]), need, cancelled);
            if (image.isNull())
                continue;
            if (sizeOf(previews[i]) == photo)
                return EmbeddedThumbnail::upright(image, orientation);
            const QRect area = EmbeddedThumbnail::photoArea(image, photo);
            if (!area.isEmpty())
                return EmbeddedThumbnail::upright(image.copy(area), orientation);
        }
        return QImage();
    }

private:
    // The preview's bytes when they are a JPEG: exiv2's copy, or for a
    // picture exiv2 hands out wrapped as a TIFF (a DNG's reduced-resolution
    // IFD whose strips are a JPEG) the strips themselves. Empty otherwise.
    QByteArray jpegOf(const Exiv2::PreviewProperties &preview)
    {
        if (preview.mimeType_ == "image/jpeg") {
            RawLayout::Block block = layout.pictureOfLength(preview.size_);
            if (block.length == 0)
                block = taggedBlock(parsed.exifData(), preview.size_);
            if (!file.read(block.offset, block.length))
                return QByteArray();
            const Exiv2::PreviewImage bytes = manager.getPreviewImage(preview);
            return QByteArray(reinterpret_cast<const char *>(bytes.pData()), int(bytes.size()));
        }
        for (const RawLayout::Picture &picture : layout.pictures()) {
            if (picture.size != sizeOf(preview) || picture.data.length > INT_MAX ||
                !file.read(picture.data.offset, picture.data.length))
                continue;
            const QByteArray strips = QByteArray::fromRawData(
                reinterpret_cast<const char *>(file.bytes() + picture.data.offset),
                int(picture.data.length));
            if (startsAsJpeg(strips))
                return strips;
        }
        return QByteArray();
    }

    // The JPEG decoded at the smallest of 1/1 to 1/8 that still covers
    // `need`.
    static QImage decodeCovering(const QByteArray &jpeg, const QSize &need,
                                 const std::atomic<bool> *cancelled)
    {
        if (!startsAsJpeg(jpeg))
            return QImage();
        QBuffer buffer;
        buffer.setData(jpeg);
        buffer.open(QIODevice::ReadOnly);
        // The RAW's orientation tag counts, not the preview's.
        JpegDecoder decoder(buffer, cancelled);
        const QSize stored = decoder.storedSize();
        if (!stored.isValid() || qint64(stored.width()) * stored.height() > maxPreviewPixels)
            return QImage();
        QSize decoded = stored;
        for (int shift = 1; shift <= maxDecoderShift; ++shift) {
            // libjpeg rounds scaled sides up.
            const int unit = 1 << shift;
            const QSize scaled((stored.width() + unit - 1) / unit,
                               (stored.height() + unit - 1) / unit);
            if (!covers(scaled, need))
                break;
            decoded = scaled;
        }
        return decoder.read(decoded);
    }

    FileImage &file;
    const RawLayout &layout;
    const Exiv2::Image &parsed;
    const Exiv2::PreviewManager manager;
};

QImage previewOf(FileImage &file, const RawLayout &layout, const QSize &atLeast, bool largest,
                 const std::atomic<bool> *cancelled)
{
    try {
        // exiv2 reads the bytes we read, never the card itself.
        const auto image = Exiv2::ImageFactory::open(file.bytes(), long(file.size()));
        if (!image.get())
            return QImage();
        image->readMetadata();
        return Raw(file, layout, *image).bestPreview(atLeast, largest, cancelled);
    } catch (...) {
        // exiv2 throws its own errors, std::bad_alloc and out_of_range alike.
        return QImage();
    }
}

} // namespace

QImage RawPreview::load(int fd, const QSize &atLeast, bool largest,
                        const std::atomic<bool> *cancelled)
{
    setUpLibraries();
    // The file's bytes count against the decode's share of the budget.
    MemoryBudget::Slot slot;
    FileImage file(fd, maxRawBytes, maxReadBytes, JpegDecoder::maxMilliseconds, cancelled);
    RawLayout layout;
    if (!file.isValid() || !layout.read(file))
        return QImage();
    QImage image = previewOf(file, layout, atLeast, largest, cancelled);
    // Previews the structure does not point to (in maker notes of their
    // own) show once the whole file is there, when it fits.
    if (image.isNull() && file.isValid() && !file.isComplete() &&
        file.size() <= file.bytesLeft() && !isCancelled(cancelled) && file.readAll())
        image = previewOf(file, layout, atLeast, largest, cancelled);
    return image;
}
