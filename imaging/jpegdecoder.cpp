#include "jpegdecoder.h"

#include <QIODevice>

#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <libexif/exif-data.h>

#include "memorybudget.h"

// libjpeg leaves a function by longjmp on any error. Every function below
// that calls into it sets its jump target first and keeps no object with a
// destructor of its own between that and the calls: what must survive the
// jump lives in State.

namespace {

using Clock = std::chrono::steady_clock;

const int readChunk = 16384;

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
const J_COLOR_SPACE rgb32Space = JCS_EXT_BGRA;
#else
const J_COLOR_SPACE rgb32Space = JCS_EXT_ARGB;
#endif

} // namespace

QImageIOHandler::Transformations JpegDecoder::fromExifOrientation(int tag)
{
    switch (tag) {
    case 2: return QImageIOHandler::TransformationMirror;
    case 3: return QImageIOHandler::TransformationRotate180;
    case 4: return QImageIOHandler::TransformationFlip;
    case 5: return QImageIOHandler::TransformationFlipAndRotate90;
    case 6: return QImageIOHandler::TransformationRotate90;
    case 7: return QImageIOHandler::TransformationMirrorAndRotate90;
    case 8: return QImageIOHandler::TransformationRotate270;
    default: return QImageIOHandler::TransformationNone;
    }
}

namespace {

// The orientation tag of the first IFD in an EXIF block ("Exif\0\0" ...).
int exifOrientation(const QByteArray &block)
{
    const auto *data = reinterpret_cast<const unsigned char *>(block.constData());
    const auto length = unsigned(block.size());
    if (length < 6 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 0;
    ExifData *exif = exif_data_new();
    if (!exif)
        return 0;
    // Read as written: libexif's option 1 << 1 (exif-data.h) would add the
    // entries it expects and convert those it finds in another format.
    exif_data_unset_option(exif, ExifDataOption(1 << 1));
    exif_data_load_data(exif, data, length);
    int tag = 0;
    const ExifEntry *entry = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data &&
        entry->size >= 2)
        tag = exif_get_short(entry->data, exif_data_get_byte_order(exif));
    exif_data_unref(exif);
    return tag;
}

} // namespace

struct JpegDecoder::State
{
    struct Error
    {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
    };
    struct Source
    {
        jpeg_source_mgr manager;
        QIODevice *device;
        JOCTET buffer[readChunk];
    };
    struct Progress
    {
        jpeg_progress_mgr manager;
        const std::atomic<bool> *cancelled;
        Clock::time_point deadline;
    };

    jpeg_decompress_struct info;
    Error error;
    Source source;
    Progress progress;
    bool created = false;
    bool used = false;
    QImage image;
    // The first EXIF block: all that is kept of the markers, however many
    // a file has.
    QByteArray exif;

    static void fail(j_common_ptr info)
    {
        std::longjmp(reinterpret_cast<Error *>(info->err)->jump, 1);
    }
    // Warnings (a damaged stretch, a missing end) are no reason to stop.
    static void stayQuiet(j_common_ptr) {}

    static void startSource(j_decompress_ptr) {}
    static void endSource(j_decompress_ptr) {}
    static boolean fillBuffer(j_decompress_ptr info)
    {
        Source *source = reinterpret_cast<Source *>(info->src);
        qint64 got = source->device->read(reinterpret_cast<char *>(source->buffer), readChunk);
        if (got <= 0) {
            // A file cut short ends as if it ended here: what came is shown.
            source->buffer[0] = 0xff;
            source->buffer[1] = JPEG_EOI;
            got = 2;
        }
        source->manager.next_input_byte = source->buffer;
        source->manager.bytes_in_buffer = size_t(got);
        return TRUE;
    }
    static void skip(j_decompress_ptr info, long count)
    {
        Source *source = reinterpret_cast<Source *>(info->src);
        if (count <= 0)
            return;
        if (size_t(count) <= source->manager.bytes_in_buffer) {
            source->manager.next_input_byte += count;
            source->manager.bytes_in_buffer -= size_t(count);
            return;
        }
        const qint64 beyond = count - qint64(source->manager.bytes_in_buffer);
        source->manager.bytes_in_buffer = 0;
        if (source->device->skip(beyond) != beyond)
            fillBuffer(info); // at the end: the made-up end marker
    }

    static int nextByte(j_decompress_ptr info)
    {
        if (info->src->bytes_in_buffer == 0)
            fillBuffer(info);
        --info->src->bytes_in_buffer;
        return *info->src->next_input_byte++;
    }
    static boolean readApp1(j_decompress_ptr info)
    {
        State *state = static_cast<State *>(info->client_data);
        int length = nextByte(info) << 8;
        length += nextByte(info) - 2;
        if (length <= 0)
            return TRUE;
        if (!state->exif.isEmpty()) {
            skip(info, length);
            return TRUE;
        }
        state->exif.resize(length);
        for (int i = 0; i < length; ++i)
            state->exif[i] = char(nextByte(info));
        if (!state->exif.startsWith(QByteArray("Exif\0\0", 6)))
            state->exif.clear();
        return TRUE;
    }

    // Runs between the decoder's steps, scan by scan and row by row.
    static void check(j_common_ptr common)
    {
        auto *info = reinterpret_cast<j_decompress_ptr>(common);
        const Progress *progress = reinterpret_cast<Progress *>(common->progress);
        if (info->input_scan_number > JpegDecoder::maxScans ||
            (progress->cancelled && progress->cancelled->load(std::memory_order_relaxed)) ||
            Clock::now() > progress->deadline)
            fail(common);
    }
};

JpegDecoder::JpegDecoder(QIODevice &device, const std::atomic<bool> *cancelled)
    : d(std::make_unique<State>())
{
    d->info.err = jpeg_std_error(&d->error.manager);
    d->error.manager.error_exit = &State::fail;
    d->error.manager.output_message = &State::stayQuiet;
    d->source.manager.init_source = &State::startSource;
    d->source.manager.fill_input_buffer = &State::fillBuffer;
    d->source.manager.skip_input_data = &State::skip;
    d->source.manager.resync_to_restart = &jpeg_resync_to_restart;
    d->source.manager.term_source = &State::endSource;
    d->source.manager.next_input_byte = nullptr;
    d->source.manager.bytes_in_buffer = 0;
    d->source.device = &device;
    d->progress.manager.progress_monitor = &State::check;
    d->progress.cancelled = cancelled;
    if (!readHeader())
        return;
    orientation = fromExifOrientation(exifOrientation(d->exif));
    d->exif = QByteArray();
    stored = QSize(int(d->info.image_width), int(d->info.image_height));
}

JpegDecoder::~JpegDecoder()
{
    if (d->created)
        jpeg_destroy_decompress(&d->info);
}

bool JpegDecoder::startsAsJpeg(QIODevice &device)
{
    // As much as Qt's own reader asks: nothing that it would take for a
    // JPEG gets past libjpeg's bounds.
    const QByteArray start = device.peek(2);
    return start.size() == 2 && uchar(start[0]) == 0xff && uchar(start[1]) == 0xd8;
}

bool JpegDecoder::readHeader()
{
    if (setjmp(d->error.jump))
        return false;
    jpeg_create_decompress(&d->info);
    d->created = true;
    // A smaller limit set by the user (JPEGMEM, read on creation) stays.
    const long ours = long(MemoryBudget::decoderBytes);
    if (d->info.mem->max_memory_to_use <= 0 || d->info.mem->max_memory_to_use > ours)
        d->info.mem->max_memory_to_use = ours;
    d->info.src = &d->source.manager;
    d->info.client_data = d.get();
    jpeg_set_marker_processor(&d->info, JPEG_APP0 + 1, &State::readApp1);
    return jpeg_read_header(&d->info, TRUE) == JPEG_HEADER_OK && d->info.image_width > 0 &&
           d->info.image_height > 0;
}

QImage JpegDecoder::read(const QSize &size)
{
    if (!stored.isValid() || d->used || size.isEmpty())
        return QImage();
    d->used = true;
    if (!decodeInto(size)) {
        d->image = QImage();
        return QImage();
    }
    QImage image = std::move(d->image);
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool JpegDecoder::decodeInto(const QSize &size)
{
    jpeg_decompress_struct &info = d->info;
    if (setjmp(d->error.jump))
        return false;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : rgb32Space;
    info.dct_method = JDCT_ISLOW;
    info.scale_num = 1;
    info.scale_denom = 1;
    // The smallest eighth that still covers `size`, or smaller still while
    // the decoded picture would not fit the budget.
    for (;;) {
        jpeg_calc_output_dimensions(&info);
        const bool fits = qint64(info.output_width) * info.output_height * 4 <=
                          MemoryBudget::imageBytes;
        if (info.scale_denom >= 8)
            break;
        info.scale_denom *= 2;
        jpeg_calc_output_dimensions(&info);
        const bool covers = int(info.output_width) >= size.width() &&
                            int(info.output_height) >= size.height();
        if (fits && !covers) {
            info.scale_denom /= 2;
            jpeg_calc_output_dimensions(&info);
            break;
        }
    }
    if (qint64(info.output_width) * info.output_height * 4 > MemoryBudget::imageBytes)
        return false;

    d->progress.deadline = Clock::now() + std::chrono::milliseconds(maxMilliseconds);
    info.progress = &d->progress.manager;
    jpeg_start_decompress(&info);
    if (info.output_components != 4)
        return false;
    d->image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (d->image.isNull())
        return false;
    JSAMPARRAY cmykRow = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info),
                                                          JPOOL_IMAGE, info.output_width * 4, 1)
                              : nullptr;
    while (info.output_scanline < info.output_height) {
        uchar *line = d->image.scanLine(int(info.output_scanline));
        JSAMPROW row = cmyk ? cmykRow[0] : line;
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
        if (cmyk) {
            // Inverted, as Adobe writes CMYK: the colour is each ink times
            // the key.
            auto *out = reinterpret_cast<QRgb *>(line);
            for (JDIMENSION x = 0; x < info.output_width; ++x) {
                const JSAMPLE *ink = row + 4 * x;
                const int k = ink[3];
                out[x] = qRgb(k * ink[0] / 255, k * ink[1] / 255, k * ink[2] / 255);
            }
        }
    }
    // Whatever follows the picture is not read: it could only cost time.
    return true;
}
