#include "imaging/heifpicture.h"

#include "imaging/memorybudget.h"

#include <libheif/heif.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

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

// Sizes are upright: libheif turns what it reports as it turns the picture.
QSize sizeOf(const heif_image_handle *handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

qint64 pixelsOf(const heif_image_handle *handle)
{
    return qint64(sizeOf(handle).width()) * sizeOf(handle).height();
}

bool covers(const heif_image_handle *handle, const QSize &atLeast)
{
    const QSize size = sizeOf(handle);
    return size.width() >= atLeast.width() && size.height() >= atLeast.height();
}

// The smallest thumbnail at least `atLeast`, else the largest one; null
// when there is none.
Handle chosenThumbnail(const heif_image_handle *primary, const QSize &atLeast)
{
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return Handle();
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    Handle best;
    for (int i = 0; i < listed; ++i) {
        heif_image_handle *thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[size_t(i)], &thumbnail).code !=
            heif_error_Ok)
            continue;
        Handle candidate(thumbnail);
        if (pixelsOf(thumbnail) > MemoryBudget::maxFullDecodePixels)
            continue;
        // One that covers beats one that does not; of two that cover the
        // smaller wins, of two that do not the larger.
        const bool covering = covers(thumbnail, atLeast);
        const bool smaller = best && pixelsOf(thumbnail) < pixelsOf(best.get());
        if (!best || (covering != covers(best.get(), atLeast) ? covering : smaller == covering))
            best = std::move(candidate);
    }
    return best;
}

QImage decoded(const heif_image_handle *handle)
{
    if (sizeOf(handle).isEmpty() || pixelsOf(handle) > MemoryBudget::maxFullDecodePixels)
        return QImage();
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    Options options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1; // cameras write 10 bits
    MemoryBudget::Slot slot;
    heif_image *image = nullptr;
    if (heif_decode_image(handle, &image, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get())
            .code != heif_error_Ok)
        return QImage();
    const Decoded owned(image);
    int stride = 0;
    const uint8_t *plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    if (!plane || width <= 0 || height <= 0)
        return QImage();
    const QImage view(plane, width, height, stride,
                      alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    return view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace

namespace {

QImage loadFrom(int fd, const QSize &atLeast)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return QImage();
    Source source{fd, int64_t(info.st_size), 0};
    const Context context(heif_context_alloc());
    if (!context ||
        heif_context_read_from_reader(context.get(), &descriptorReader, &source, nullptr).code !=
            heif_error_Ok)
        return QImage();
    heif_image_handle *primary = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
        return QImage();
    const Handle owned(primary);
    // A primary too large to decode whole leaves the thumbnail, even a small one.
    const Handle thumbnail = chosenThumbnail(primary, atLeast);
    const bool primaryTooLarge = pixelsOf(primary) > MemoryBudget::maxFullDecodePixels;
    if (thumbnail && (covers(thumbnail.get(), atLeast) || primaryTooLarge)) {
        const QImage image = decoded(thumbnail.get());
        if (!image.isNull())
            return image;
    }
    return decoded(primary);
}

} // namespace

QImage HeifPicture::load(int fd, const QSize &atLeast)
{
    try {
        return loadFrom(fd, atLeast);
    } catch (...) {
        // libheif is C++ inside; nothing it throws may end the program.
        return QImage();
    }
}
