#include "rawlayout.h"

#include "fileimage.h"
#include "memorybudget.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// The picture headers exiv2 reads to learn a preview's size lie within this.
const qint64 pictureHeadBytes = 64 * 1024;
// A TIFF's header and first IFD: read at once, in one go from the card.
const qint64 tiffHeadBytes = 64 * 1024;
// One tag's values: maker notes stay well below this.
const qint64 maxValueBytes = 4 * 1024 * 1024;
const qint64 maxValueCount = 1 << 16;
// Every level of nesting costs exiv2 a copy of what lies below it.
const qint64 maxBoxMetadataBytes =
    MemoryBudget::decodeBytes / (4 * RawLayout::maxBoxDepth);

enum Tag : quint16 {
    ImageWidth = 256,
    ImageLength = 257,
    StripOffsets = 273,
    StripByteCounts = 279,
    SubIfds = 330,
    JpegOffset = 513,
    JpegLength = 514,
    ExifIfd = 34665,
    GpsIfd = 34853,
    InteropIfd = 40965,
};

int typeBytes(quint16 type)
{
    static const int bytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < sizeof bytes / sizeof bytes[0] ? bytes[type] : 0;
}

class TiffWalk
{
public:
    TiffWalk(FileImage &file, std::vector<RawLayout::Picture> &pictures)
        : file(file), pictures(pictures),
          bigEndian(file.bytes()[0] == 'M')
    {
    }

    bool walkFromHeader() { return walk(u32(4), 0); }

private:
    bool walk(qint64 at, int depth)
    {
        for (; at > 0; at = u32(at + 2 + 12 * u16(at))) {
            // exiv2 stops at loops and depths of its own; so does the walk,
            // which only has to find what exiv2 will read.
            if (depth > RawLayout::maxIfdDepth || ++ifds > RawLayout::maxIfds ||
                !seen.insert(at).second || at + 2 > file.size())
                return true;
            if (!file.read(at, 2))
                return false;
            const qint64 table = 2 + 12 * qint64(u16(at)) + 4;
            if (at + table > file.size())
                return true;
            if (!file.read(at, table) || !ifd(at, depth))
                return false;
        }
        return true;
    }

    quint32 u16(qint64 at) const
    {
        const uchar *p = file.bytes() + at;
        return bigEndian ? quint32(p[0] << 8 | p[1]) : quint32(p[1] << 8 | p[0]);
    }
    quint32 u32(qint64 at) const
    {
        if (at + 4 > file.size())
            return 0;
        return bigEndian ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
    }

    // The SHORT or LONG values of one entry (already read).
    std::vector<qint64> numbers(quint16 type, qint64 count, qint64 at) const
    {
        std::vector<qint64> values;
        if ((type != 3 && type != 4 && type != 13) || count > maxValueCount)
            return values;
        for (qint64 i = 0; i < count; ++i)
            values.push_back(type == 3 ? u16(at + 2 * i) : u32(at + 4 * i));
        return values;
    }

    bool ifd(qint64 at, int depth)
    {
        std::vector<qint64> children, strips, stripBytes, jpeg, jpegBytes;
        QSize size;
        const quint32 count = u16(at);
        for (quint32 i = 0; i < count; ++i) {
            const qint64 entry = at + 2 + 12 * qint64(i);
            const quint16 tag = quint16(u16(entry));
            const quint16 type = quint16(u16(entry + 2));
            const qint64 values = u32(entry + 4);
            const qint64 bytes = typeBytes(type) * values;
            qint64 valueAt = entry + 8;
            if (bytes > 4) {
                valueAt = u32(valueAt);
                if (bytes > maxValueBytes || valueAt + bytes > file.size())
                    continue;
                if (!file.read(valueAt, bytes))
                    return false;
            }
            const std::vector<qint64> list = numbers(type, values, valueAt);
            switch (tag) {
            case ImageWidth: size.setWidth(list.empty() ? 0 : int(list[0])); break;
            case ImageLength: size.setHeight(list.empty() ? 0 : int(list[0])); break;
            case StripOffsets: strips = list; break;
            case StripByteCounts: stripBytes = list; break;
            case JpegOffset: jpeg = list; break;
            case JpegLength: jpegBytes = list; break;
            case SubIfds:
            case ExifIfd:
            case GpsIfd:
            case InteropIfd: children.insert(children.end(), list.begin(), list.end()); break;
            default: break;
            }
        }
        if (!addPicture(size, strips, stripBytes) || !addPicture(size, jpeg, jpegBytes))
            return false;
        for (const qint64 child : children) {
            if (!walk(child, depth + 1))
                return false;
        }
        return true;
    }

    // Pieces that follow one another make one picture; its head is read
    // so that exiv2 can learn its size.
    bool addPicture(const QSize &size, const std::vector<qint64> &offsets,
                    const std::vector<qint64> &lengths)
    {
        if (offsets.empty() || offsets.size() != lengths.size())
            return true;
        RawLayout::Block block{offsets[0], 0};
        for (size_t i = 0; i < offsets.size(); ++i) {
            if (offsets[i] != block.offset + block.length)
                return true;
            block.length += lengths[i];
        }
        if (block.length <= 0 || block.offset + block.length > file.size())
            return true;
        pictures.push_back({size, block});
        return file.read(block.offset, std::min(block.length, pictureHeadBytes));
    }

    FileImage &file;
    std::vector<RawLayout::Picture> &pictures;
    const bool bigEndian;
    std::set<qint64> seen;
    int ifds = 0;
};

class BoxWalk
{
public:
    explicit BoxWalk(FileImage &file) : file(file) {}

    bool walk(qint64 from, qint64 end, int depth)
    {
        if (depth > RawLayout::maxBoxDepth)
            return false;
        for (qint64 at = from; at < end;) {
            Box box;
            if (!header(at, end, &box) || ++boxes > RawLayout::maxBoxes)
                return false;
            // The sensor data and the full-size picture: exiv2 skips them.
            if (std::memcmp(box.type, "mdat", 4) != 0) {
                metadata += depth == 0 ? box.end - box.payload : 0;
                if (metadata > maxBoxMetadataBytes ||
                    !file.read(box.payload, box.end - box.payload))
                    return false;
                // Containers start their boxes at once, after a version
                // (meta), or after an extended type (uuid).
                for (const qint64 skip : {0, 4, 16}) {
                    if (box.end - box.payload > skip &&
                        isBoxSequence(box.payload + skip, box.end)) {
                        if (!walk(box.payload + skip, box.end, depth + 1))
                            return false;
                        break;
                    }
                }
            }
            at = box.end;
        }
        return true;
    }

private:
    struct Box
    {
        char type[4];
        qint64 payload;
        qint64 end;
    };

    quint64 be(qint64 at, int bytes) const
    {
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | file.bytes()[at + i];
        return value;
    }

    // False when the header does not fit or the box claims more than its
    // parent holds.
    bool header(qint64 at, qint64 end, Box *box)
    {
        if (end - at < 8 || !file.read(at, std::min<qint64>(16, end - at)))
            return false;
        quint64 size = be(at, 4);
        std::memcpy(box->type, file.bytes() + at + 4, 4);
        box->payload = at + 8;
        if (size == 1) {
            if (end - at < 16)
                return false;
            size = be(at + 8, 8);
            box->payload = at + 16;
        } else if (size == 0) {
            size = quint64(end - at);
        }
        if (size < quint64(box->payload - at) || size > quint64(end - at))
            return false;
        box->end = at + qint64(size);
        return true;
    }

    // Whether [from, end), already read, is boxes that fill it exactly.
    bool isBoxSequence(qint64 from, qint64 end) const
    {
        for (qint64 at = from; at < end;) {
            if (end - at < 8)
                return false;
            const quint64 size = be(at, 4);
            if (size < 8 || size > quint64(end - at))
                return false;
            at += qint64(size);
        }
        return true;
    }

    FileImage &file;
    int boxes = 0;
    qint64 metadata = 0;
};

quint32 bigEndian32(const FileImage &file, qint64 at)
{
    const uchar *p = file.bytes() + at;
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

// Fujifilm's RAF: a header of offsets and lengths (big-endian at 84), then
// the camera's JPEG, a header of the sensor data and the sensor data, which
// starts with the TIFF structure exiv2 reads.
bool readRaf(FileImage &file, std::vector<RawLayout::Picture> &pictures)
{
    const qint64 headerBytes = 108;
    if (file.size() < headerBytes)
        return false;
    const RawLayout::Block jpeg{bigEndian32(file, 84), bigEndian32(file, 88)};
    const RawLayout::Block sensorHeader{bigEndian32(file, 92), bigEndian32(file, 96)};
    const qint64 sensorAt = bigEndian32(file, 100);
    if (jpeg.offset + jpeg.length > file.size() || sensorHeader.length > maxValueBytes ||
        sensorHeader.offset + sensorHeader.length > file.size())
        return false;
    pictures.push_back({QSize(), jpeg});
    return file.read(jpeg.offset, jpeg.length) &&
           file.read(sensorHeader.offset, sensorHeader.length) &&
           file.read(sensorAt, tiffHeadBytes);
}

bool startsWith(const FileImage &file, const char *magic, int length)
{
    return file.size() >= length && std::memcmp(file.bytes(), magic, size_t(length)) == 0;
}

} // namespace

bool RawLayout::read(FileImage &file)
{
    found.clear();
    if (!file.read(0, tiffHeadBytes))
        return false;
    // Plain TIFF, and the magic numbers of Olympus and Panasonic.
    if (startsWith(file, "II*\0", 4) || startsWith(file, "MM\0*", 4) ||
        startsWith(file, "IIRO", 4) || startsWith(file, "IIRS", 4) ||
        startsWith(file, "IIU\0", 4)) {
        return TiffWalk(file, found).walkFromHeader();
    }
    if (file.size() >= 8 && std::memcmp(file.bytes() + 4, "ftyp", 4) == 0)
        return BoxWalk(file).walk(0, file.size(), 0);
    if (startsWith(file, "FUJIFILMCCD-RAW ", 16))
        return readRaf(file, found);
    return file.readAll();
}

RawLayout::Block RawLayout::pictureOfLength(qint64 length) const
{
    for (const Picture &picture : found) {
        if (picture.data.length == length)
            return picture.data;
    }
    return Block();
}
