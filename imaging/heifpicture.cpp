#include "heifpicture.h"

#include "heifheader.h"
#include "memorybudget.h"

#include <libheif/heif.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace {

// libheif reads through these from a descriptor, at offsets of its own.
struct Source
{
    int fd;
    int64_t size;
    int64_t position;
};

int64_t positionOf(void *source)
{
    return static_cast<Source *>(source)->position;
}

int readFrom(void *data, size_t size, void *opaque)
{
    auto *source = static_cast<Source *>(opaque);
    auto *out = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t got = pread(source->fd, out, size, source->position);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return -1;
        out += got;
        size -= size_t(got);
        source->position += got;
    }
    return 0;
}

int seekTo(int64_t position, void *opaque)
{
    auto *source = static_cast<Source *>(opaque);
    if (position < 0 || position > source->size)
        return -1;
    source->position = position;
    return 0;
}

heif_reader_grow_status waitForSize(int64_t target, void *opaque)
{
    return target > static_cast<Source *>(opaque)->size ? heif_reader_grow_status_size_beyond_eof
                                                        : heif_reader_grow_status_size_reached;
}

const heif_reader descriptorReader = {1, positionOf, readFrom, seekTo, waitForSize};

struct ContextFree
{
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct HandleRelease
{
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease
{
    void operator()(heif_image *image) const { heif_image_release(image); }
};
struct OptionsFree
{
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Decoded = std::unique_ptr<heif_image, ImageRelease>;
using Options = std::unique_ptr<heif_decoding_options, OptionsFree>;

// libheif's own limit on a side, which it checks before it allocates:
// no longer than the pictures the header named and that were checked,
// padded to whole coding blocks (at most 64 pixels).
int longestSide(const HeifHeader &header)
{
    QSize longest = header.primary().stored;
    for (const HeifHeader::Picture &thumbnail : header.thumbnails())
        longest = longest.expandedTo(thumbnail.stored);
    return qMax(longest.width(), longest.height()) + 64;
}

// Of the pictures that can be decoded: the smallest thumbnail that covers
// `atLeast`, else the primary picture, else the largest thumbnail.
const HeifHeader::Picture *chosenPicture(const HeifHeader &header, const QSize &atLeast)
{
    const HeifHeader::Picture *smallestCovering = nullptr;
    const HeifHeader::Picture *largest = nullptr;
    for (const HeifHeader::Picture &thumbnail : header.thumbnails()) {
        if (!thumbnail.decodable)
            continue;
        if (thumbnail.covers(atLeast) &&
            (!smallestCovering || thumbnail.pixels() < smallestCovering->pixels()))
            smallestCovering = &thumbnail;
        if (!largest || thumbnail.pixels() > largest->pixels())
            largest = &thumbnail;
    }
    if (smallestCovering)
        return smallestCovering;
    return header.primary().decodable ? &header.primary() : largest;
}

// Decoded as stored, then cut and turned as the header says: libheif
// would turn the padding of a coded picture into the shown part.
QImage decoded(const heif_image_handle *handle, const HeifHeader::Picture &picture)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    Options options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1; // cameras write 10 bits
    options->ignore_transformations = 1;
    QImage shown;
    {
        MemoryBudget::Slot slot;
        heif_image *image = nullptr;
        if (heif_decode_image(handle, &image, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                              options.get())
                .code != heif_error_Ok)
            return QImage();
        const Decoded owned(image);
        int stride = 0;
        const uint8_t *plane =
            heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
        const QRect area = picture.shownArea(
            QSize(heif_image_get_width(image, heif_channel_interleaved),
                  heif_image_get_height(image, heif_channel_interleaved)));
        if (!plane || area.isEmpty())
            return QImage();
        const int pixelBytes = alpha ? 4 : 3;
        const QImage view(plane + qsizetype(area.y()) * stride + area.x() * pixelBytes,
                          area.width(), area.height(), stride,
                          alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        shown = view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
    return picture.upright(shown);
}

} // namespace

namespace {

QImage loadFrom(int fd, const QSize &atLeast)
{
    const HeifHeader header(fd);
    const HeifHeader::Picture *picture = header.isValid() ? chosenPicture(header, atLeast)
                                                          : nullptr;
    struct stat info;
    if (!picture || fstat(fd, &info) != 0)
        return QImage();
    Source source{fd, int64_t(info.st_size), 0};
    const Context context(heif_context_alloc());
    if (!context)
        return QImage();
    heif_context_set_maximum_image_size_limit(context.get(), longestSide(header));
    if (heif_context_read_from_reader(context.get(), &descriptorReader, &source, nullptr).code !=
        heif_error_Ok)
        return QImage();
    heif_image_handle *primary = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
        return QImage();
    const Handle owned(primary);
    // libheif must decode the picture the header named: its sizes are the
    // ones checked.
    heif_item_id primaryId = 0;
    if (heif_context_get_primary_image_ID(context.get(), &primaryId).code != heif_error_Ok ||
        primaryId != header.primary().id)
        return QImage();
    if (picture == &header.primary())
        return decoded(primary, *picture);
    heif_image_handle *thumbnail = nullptr;
    if (heif_image_handle_get_thumbnail(primary, picture->id, &thumbnail).code != heif_error_Ok)
        return QImage();
    const Handle ownedThumbnail(thumbnail);
    return decoded(thumbnail, *picture);
}

} // namespace

QSize HeifPicture::uprightSize(int fd)
{
    const HeifHeader header(fd);
    if (!header.isValid())
        return QSize();
    bool shown = header.primary().decodable;
    for (const HeifHeader::Picture &thumbnail : header.thumbnails())
        shown = shown || thumbnail.decodable;
    return shown ? header.primary().upright() : QSize();
}

QImage HeifPicture::load(int fd, const QSize &atLeast)
{
    try {
        return loadFrom(fd, atLeast);
    } catch (...) {
        // libheif is C++ inside; nothing it throws may end the program.
        return QImage();
    }
}
