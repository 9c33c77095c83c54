#include "imaging/rawpreview.h"

#include <QBuffer>
#include <QImageReader>

#include "imaging/embeddedthumbnail.h"
#include "imaging/jpegdecoder.h"
#include "imaging/memorybudget.h"

#include <exiv2/exiv2.hpp>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
// The metadata of a RAW sits near its start.
const size_t metadataBytes = 128 * 1024;

void setUpLibraries()
{
    static std::once_flag done;
    std::call_once(done, [] {
        // A broken file is a null preview, not a page of warnings.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF(); // CR3 is an ISO media file
        MemoryBudget::applyToDecoders();
    });
}

// The whole file, read only and copy-on-write, unmapped when done. The
// kernel reads nothing around the pages touched (its read-around is
// megabytes on some disks): only the start, where the metadata is, and the
// preview taken are read ahead.
class Mapping
{
public:
    explicit Mapping(int fd)
    {
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
            info.st_size > maxRawBytes)
            return;
        void *mapped = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED)
            return;
        bytes = static_cast<const Exiv2::byte *>(mapped);
        length = size_t(info.st_size);
        madvise(mapped, length, MADV_RANDOM);
        readAhead(0, metadataBytes);
    }
    ~Mapping()
    {
        if (bytes)
            munmap(const_cast<Exiv2::byte *>(bytes), length);
    }
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;

    void readAhead(size_t offset, size_t size) const
    {
        if (offset >= length)
            return;
        const size_t start = offset & ~size_t(sysconf(_SC_PAGESIZE) - 1);
        madvise(const_cast<Exiv2::byte *>(bytes) + start,
                std::min(length, offset + size) - start, MADV_WILLNEED);
    }

    // Where exiv2 copies a JPEG preview of `size` bytes from is told by a
    // pair of tags, an offset and a length; read that JPEG ahead.
    void readAheadPreview(const Exiv2::ExifData &exif, uint32_t size) const
    {
        static const std::pair<const char *, const char *> pairs[] = {
            {"JPEGInterchangeFormat", "JPEGInterchangeFormatLength"},
            {"PreviewImageStart", "PreviewImageLength"},
            {"StripOffsets", "StripByteCounts"}};
        for (const Exiv2::Exifdatum &offset : exif) {
            for (const auto &pair : pairs) {
                if (offset.tagName() != pair.first || offset.count() != 1)
                    continue;
                const auto sizeTag = exif.findKey(Exiv2::ExifKey(
                    std::string("Exif.") + offset.groupName() + "." + pair.second));
                const size_t at = size_t(offset.toLong());
                if (sizeTag != exif.end() && sizeTag->count() == 1 &&
                    uint32_t(sizeTag->toLong()) == size && size >= 2 && at < length &&
                    size <= length - at && bytes[at] == 0xff && bytes[at + 1] == 0xd8)
                    readAhead(at, size);
            }
        }
    }

    const Exiv2::byte *bytes = nullptr;
    size_t length = 0;
};

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

// The JPEG previews with a sane size, smallest first.
Exiv2::PreviewPropertiesList jpegPreviews(const Exiv2::PreviewManager &manager)
{
    Exiv2::PreviewPropertiesList usable;
    for (const Exiv2::PreviewProperties &preview : manager.getPreviewProperties()) {
        const qint64 pixels = qint64(preview.width_) * preview.height_;
        if (preview.mimeType_ == "image/jpeg" && preview.width_ > 0 && preview.height_ > 0 &&
            preview.width_ <= INT_MAX && preview.height_ <= INT_MAX && pixels <= maxPreviewPixels)
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

// The JPEG decoded at the smallest of 1/1 to 1/8 that still covers `need`.
QImage decodeCovering(const Exiv2::PreviewImage &preview, const QSize &need)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(preview.pData()), int(preview.size()));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPEG");
    reader.setAutoTransform(false); // the RAW's tag counts, not the preview's
    reader.setAllocationLimit(int(MemoryBudget::imageBytes >> 20));
    const QSize stored = reader.size();
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
    if (decoded != stored)
        reader.setScaledSize(decoded);
    QImage image;
    {
        MemoryBudget::Slot slot;
        image = reader.read();
    }
    return image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
}

QImage bestPreview(const Mapping &file, const Exiv2::Image &raw, const QSize &atLeast,
                   bool largest)
{
    const Exiv2::PreviewManager manager(raw);
    const Exiv2::PreviewPropertiesList previews = jpegPreviews(manager);
    if (previews.empty())
        return QImage();
    const QImageIOHandler::Transformations orientation = orientationOf(raw.exifData());
    const QSize need = (orientation & QImageIOHandler::TransformationRotate90)
                           ? atLeast.transposed()
                           : atLeast;
    // The largest preview is the camera's own rendering of the whole photo:
    // a smaller one showing anything else is stale or banded.
    const QSize photo = sizeOf(previews.back());
    for (const size_t i : tryOrder(previews, need, largest)) {
        file.readAheadPreview(raw.exifData(), previews[i].size_);
        const QImage image = decodeCovering(manager.getPreviewImage(previews[i]), need);
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

} // namespace

QImage RawPreview::load(int fd, const QSize &atLeast, bool largest)
{
    setUpLibraries();
    const Mapping file(fd);
    if (!file.bytes)
        return QImage();
    try {
        const auto raw = Exiv2::ImageFactory::open(file.bytes, long(file.length));
        if (!raw.get())
            return QImage();
        raw->readMetadata();
        return bestPreview(file, *raw, atLeast, largest);
    } catch (...) {
        // exiv2 throws its own errors, std::bad_alloc and out_of_range alike.
        return QImage();
    }
}
