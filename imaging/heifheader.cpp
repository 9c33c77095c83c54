#include "heifheader.h"

#include "memorybudget.h"

#include <QByteArray>
#include <QTransform>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <algorithm>
#include <map>

namespace {

// Phones write a meta box of a few kilobytes; one beyond this is no photo's.
constexpr qint64 maxMetaBytes = qint64(4) << 20;
// Boxes passed over before the meta box: the file type and a maker's own.
constexpr int maxTopLevelBoxes = 64;
// Phones cut a picture into some 50 tiles. Every tile is a decode of its
// own, and a grid may name the same small tile thousands of times.
constexpr qint64 maxTiles = 1024;
// Thumbnails looked at: cameras write one or two.
constexpr size_t maxThumbnails = 16;
// No side of a real picture comes near this; keeps sizes within int.
constexpr quint64 maxSide = 1 << 20;

constexpr quint32 fourcc(const char (&name)[5])
{
    return quint32(uchar(name[0])) << 24 | quint32(uchar(name[1])) << 16 |
           quint32(uchar(name[2])) << 8 | quint32(uchar(name[3]));
}

bool readAt(int fd, qint64 offset, char *out, qint64 size)
{
    while (size > 0) {
        const ssize_t got = pread(fd, out, size_t(size), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        size -= got;
        offset += got;
    }
    return true;
}

// Big-endian fields of a box, read in turn. Reading beyond its end gives
// zeros and leaves `ok` false for good.
class Fields
{
public:
    Fields(const QByteArray &bytes, qsizetype begin, qsizetype end)
        : data(bytes), position(begin), end(end) {}

    quint64 read(int bytes)
    {
        if (bytes < 0 || bytes > 8 || end - position < bytes) {
            ok = false;
            position = end;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | uchar(data[position++]);
        return value;
    }
    qint64 readSigned32() { return qint32(quint32(read(4))); }
    void skip(quint64 bytes)
    {
        ok = ok && bytes <= quint64(end - position);
        position = ok ? position + qsizetype(bytes) : end;
    }
    // Version and flags of a full box.
    int readVersion(quint32 *flags = nullptr)
    {
        const int version = int(read(1));
        const quint32 read24 = quint32(read(3));
        if (flags)
            *flags = read24;
        return version;
    }

    const QByteArray &data;
    qsizetype position;
    const qsizetype end;
    bool ok = true;
};

struct Box
{
    quint32 type;
    qsizetype begin; // of its body
    qsizetype end;
};

// The boxes that fill [begin, end) of `bytes`; false when one overruns it.
bool childBoxes(const QByteArray &bytes, qsizetype begin, qsizetype end, std::vector<Box> *boxes)
{
    while (begin < end) {
        Fields fields(bytes, begin, end);
        quint64 size = fields.read(4);
        const quint32 type = quint32(fields.read(4));
        if (size == 1)
            size = fields.read(8);
        else if (size == 0)
            size = quint64(end - begin);
        const qsizetype header = fields.position - begin;
        if (!fields.ok || size < quint64(header) || size > quint64(end - begin))
            return false;
        boxes->push_back({type, begin + header, begin + qsizetype(size)});
        begin += qsizetype(size);
    }
    return true;
}

// Exp-Golomb and plain bits of an HEVC parameter set, its emulation
// prevention bytes taken out. Past the end it reads zeros, which make any
// Exp-Golomb code huge: a size refused.
class Bits
{
public:
    explicit Bits(const QByteArray &nal)
    {
        int zeros = 0;
        for (const char byte : nal) {
            if (zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            zeros = byte == 0 ? zeros + 1 : 0;
            bytes.push_back(byte);
        }
    }
    quint64 read(int count)
    {
        quint64 value = 0;
        for (int i = 0; i < count; ++i, ++position) {
            const bool bit = position / 8 < bytes.size() &&
                             (uchar(bytes[position / 8]) >> (7 - position % 8)) & 1;
            value = value << 1 | (bit ? 1 : 0);
        }
        return value;
    }
    quint64 readGolomb()
    {
        int zeros = 0;
        while (read(1) == 0 && zeros < 32)
            ++zeros;
        return (quint64(1) << zeros) - 1 + read(zeros);
    }

private:
    QByteArray bytes;
    qsizetype position = 0;
};

// The size of the picture an HEVC sequence parameter set makes the decoder
// build, whatever the file's `ispe` says.
QSize codedSize(const QByteArray &nal)
{
    Bits bits(nal);
    bits.read(16 + 4); // NAL header, parameter set id
    const int subLayers = int(bits.read(3));
    bits.read(1 + 96); // temporal nesting, general profile, tier and level
    std::vector<std::pair<bool, bool>> present;
    for (int i = 0; i < subLayers; ++i)
        present.emplace_back(bits.read(1), bits.read(1));
    if (subLayers > 0)
        bits.read(2 * (8 - subLayers));
    for (const auto &[profile, level] : present)
        bits.read((profile ? 88 : 0) + (level ? 8 : 0));
    bits.readGolomb(); // its id
    if (bits.readGolomb() == 3) // 4:4:4 chroma
        bits.read(1);
    const quint64 width = bits.readGolomb();
    const quint64 height = bits.readGolomb();
    return width > maxSide || height > maxSide ? QSize(int(maxSide), int(maxSide))
                                               : QSize(int(width), int(height));
}

constexpr int spsType = 33;

struct Item
{
    quint32 type = 0;
    int method = 0; // 0 in the file, 1 in the meta box's idat
    quint64 offset = 0;
    quint64 length = 0;
    bool located = false;
    std::vector<quint32> properties; // 1-based indices into ipco
};

// The meta box taken apart: its items with their places and properties.
struct Meta
{
    QByteArray bytes;
    qint64 fileSize = 0;
    quint32 primaryId = 0;
    std::map<quint32, Item> items;
    std::vector<Box> properties;
    std::vector<std::pair<quint32, quint32>> thumbnailOf; // thumbnail, picture
    std::map<quint32, std::vector<quint32>> tiles;
    // The auxiliary pictures of a picture, its alpha among them, which
    // libheif decodes with it.
    std::map<quint32, std::vector<quint32>> auxiliaries;
    Box idat{0, 0, 0};
    // Coded units looked at in all pictures' bytes: a picture is a few,
    // a grid's some hundred; a file cut into more is none.
    mutable int unitsLeft = 4096;

    bool parse();
    // `auxiliary`: one decoded with another, whose own auxiliaries are not.
    bool picture(int fd, quint32 id, HeifHeader::Picture *picture, bool auxiliary = false) const;

private:
    bool readItemInfo(const Box &box);
    bool readLocations(const Box &box);
    bool readProperties(const Box &box);
    bool readReferences(const Box &box);
    bool isCoded(quint32 id) const;
    bool readData(int fd, const Item &item, quint64 offset, QByteArray *data) const;
    qint64 codedPixels(int fd, const Item &item, const Box &configuration) const;
    qint64 codedPixelsOf(int fd, quint32 id) const;
    bool gridOutput(int fd, const Item &item, QSize *output, quint64 *tileCount) const;
};

bool Meta::parse()
{
    std::vector<Box> children;
    if (!childBoxes(bytes, 4, bytes.size(), &children))
        return false;
    // Each of these once: where libheif might read another copy than this
    // reading, what it decodes would not be what was checked.
    std::vector<quint32> seen;
    bool primaryNamed = false;
    for (const Box &box : children) {
        Fields fields(bytes, box.begin, box.end);
        const bool known = box.type == fourcc("pitm") || box.type == fourcc("iinf") ||
                           box.type == fourcc("iloc") || box.type == fourcc("iprp") ||
                           box.type == fourcc("iref") || box.type == fourcc("idat");
        if (known && std::find(seen.begin(), seen.end(), box.type) != seen.end())
            return false;
        if (known)
            seen.push_back(box.type);
        bool read = true;
        switch (box.type) {
        case fourcc("pitm"):
            primaryId = quint32(fields.read(fields.readVersion() == 0 ? 2 : 4));
            read = primaryNamed = fields.ok;
            break;
        case fourcc("iinf"):
            read = readItemInfo(box);
            break;
        case fourcc("iloc"):
            read = readLocations(box);
            break;
        case fourcc("iprp"):
            read = readProperties(box);
            break;
        case fourcc("iref"):
            read = readReferences(box);
            break;
        case fourcc("idat"):
            idat = box;
            break;
        default:
            break;
        }
        if (!read)
            return false;
    }
    return primaryNamed;
}

bool Meta::readItemInfo(const Box &box)
{
    Fields fields(bytes, box.begin, box.end);
    fields.read(fields.readVersion() == 0 ? 2 : 4); // the count: the boxes say it
    std::vector<Box> entries;
    if (!fields.ok || !childBoxes(bytes, fields.position, box.end, &entries))
        return false;
    for (const Box &entry : entries) {
        Fields info(bytes, entry.begin, entry.end);
        const int version = info.readVersion();
        if (entry.type != fourcc("infe") || version < 2)
            continue; // older entries name no item type
        const quint32 id = quint32(info.read(version == 2 ? 2 : 4));
        info.read(2); // protection
        const quint32 type = quint32(info.read(4));
        if (!info.ok || type == 0 || items[id].type != 0)
            return false;
        items[id].type = type;
    }
    return true;
}

bool Meta::readLocations(const Box &box)
{
    Fields fields(bytes, box.begin, box.end);
    const int version = fields.readVersion();
    const int sizes = int(fields.read(1));
    const int moreSizes = int(fields.read(1));
    const int offsetSize = sizes >> 4;
    const int lengthSize = sizes & 15;
    const int baseSize = moreSizes >> 4;
    const bool indexed = version == 1 || version == 2;
    const int indexSize = indexed ? moreSizes & 15 : 0;
    const quint64 count = fields.read(version < 2 ? 2 : 4);
    for (quint64 i = 0; i < count && fields.ok; ++i) {
        const quint32 id = quint32(fields.read(version < 2 ? 2 : 4));
        const int method = indexed ? int(fields.read(2) & 15) : 0;
        fields.read(2); // data reference
        const quint64 base = fields.read(baseSize);
        const quint64 extents = fields.read(2);
        for (quint64 e = 0; e < extents && fields.ok; ++e) {
            fields.read(indexSize);
            const quint64 offset = fields.read(offsetSize);
            const quint64 length = fields.read(lengthSize);
            Item &item = items[id];
            if (e > 0 || !fields.ok)
                continue;
            if (item.located)
                return false;
            item.method = method;
            item.offset = base + offset;
            item.length = length;
            item.located = base + offset >= base; // no wrap-around
        }
    }
    return fields.ok;
}

bool Meta::readProperties(const Box &box)
{
    std::vector<Box> children;
    if (!childBoxes(bytes, box.begin, box.end, &children))
        return false;
    for (const Box &child : children) {
        if (child.type == fourcc("ipco")) {
            if (!properties.empty() || !childBoxes(bytes, child.begin, child.end, &properties))
                return false;
            continue;
        }
        if (child.type != fourcc("ipma"))
            continue;
        Fields fields(bytes, child.begin, child.end);
        quint32 flags = 0;
        const int version = fields.readVersion(&flags);
        const quint64 count = fields.read(4);
        for (quint64 i = 0; i < count && fields.ok; ++i) {
            const quint32 id = quint32(fields.read(version < 1 ? 2 : 4));
            const quint64 associations = fields.read(1);
            if (!items[id].properties.empty())
                return false;
            for (quint64 a = 0; a < associations && fields.ok; ++a) {
                const quint32 index = (flags & 1) ? quint32(fields.read(2) & 0x7fff)
                                                  : quint32(fields.read(1) & 0x7f);
                if (fields.ok)
                    items[id].properties.push_back(index);
            }
        }
        if (!fields.ok)
            return false;
    }
    return true;
}

bool Meta::readReferences(const Box &box)
{
    Fields fields(bytes, box.begin, box.end);
    const int idBytes = fields.readVersion() == 0 ? 2 : 4;
    std::vector<Box> references;
    if (!fields.ok || !childBoxes(bytes, fields.position, box.end, &references))
        return false;
    for (const Box &reference : references) {
        Fields ids(bytes, reference.begin, reference.end);
        const quint32 from = quint32(ids.read(idBytes));
        const quint64 count = ids.read(2);
        const bool tiled = reference.type == fourcc("dimg");
        if (tiled && tiles.count(from))
            return false;
        for (quint64 i = 0; i < count && ids.ok; ++i) {
            const quint32 to = quint32(ids.read(idBytes));
            if (tiled)
                tiles[from].push_back(to);
            else if (reference.type == fourcc("thmb") && thumbnailOf.size() < maxThumbnails * 4)
                thumbnailOf.emplace_back(from, to);
            else if (reference.type == fourcc("auxl") && auxiliaries[to].size() < maxThumbnails)
                auxiliaries[to].push_back(from);
        }
        if (!ids.ok)
            return false;
    }
    return true;
}

// A picture coded whole in HEVC, as phones and cameras write them: what
// a grid's tiles must be, since libheif decodes a tile that is a grid
// again without any check of its own. Only HEVC's parameter sets are read
// here; a picture of another coding could not be bounded.
bool Meta::isCoded(quint32 id) const
{
    const auto found = items.find(id);
    return found != items.end() && found->second.type == fourcc("hvc1");
}

// What decoding an HEVC item makes the decoder build; -1 when unknown.
qint64 Meta::codedPixelsOf(int fd, quint32 id) const
{
    const Item &item = items.at(id);
    for (const quint32 index : item.properties) {
        if (index > 0 && index <= properties.size() &&
            properties[index - 1].type == fourcc("hvcC"))
            return codedPixels(fd, item, properties[index - 1]);
    }
    return -1;
}

// Up to data->size() bytes of the item from `offset` on; fewer where it
// ends. False when nothing can be read there.
bool Meta::readData(int fd, const Item &item, quint64 offset, QByteArray *data) const
{
    const quint64 whole = item.method == 0 ? quint64(fileSize) : quint64(idat.end - idat.begin);
    if (!item.located || item.method > 1 || item.offset >= whole)
        return false;
    quint64 length = whole - item.offset;
    if (item.length > 0)
        length = std::min(length, item.length);
    if (offset >= length)
        return false;
    data->truncate(qsizetype(std::min(quint64(data->size()), length - offset)));
    const quint64 from = item.offset + offset;
    if (item.method == 1) {
        *data = bytes.mid(idat.begin + qsizetype(from), data->size());
        return true;
    }
    return readAt(fd, qint64(from), data->data(), data->size());
}

// The largest picture the HEVC decoder is made to build: its parameter
// sets, in the decoder configuration and in the item's own bytes, say it;
// -1 when they cannot be read.
qint64 Meta::codedPixels(int fd, const Item &item, const Box &configuration) const
{
    qint64 pixels = 0;
    const auto take = [&pixels](const QByteArray &nal) {
        const QSize size = codedSize(nal);
        pixels = std::max(pixels, qint64(size.width()) * size.height());
    };
    Fields fields(bytes, configuration.begin, configuration.end);
    fields.skip(21);
    const int lengthBytes = int(fields.read(1) & 3) + 1;
    const quint64 arrays = fields.read(1);
    for (quint64 a = 0; a < arrays && fields.ok; ++a) {
        const int type = int(fields.read(1) & 0x3f);
        const quint64 count = fields.read(2);
        for (quint64 n = 0; n < count && fields.ok; ++n) {
            const quint64 length = fields.read(2);
            if (type == spsType && length <= quint64(fields.end - fields.position))
                take(bytes.mid(fields.position, qsizetype(length)));
            fields.skip(length);
        }
    }
    if (!fields.ok)
        return -1;
    quint64 offset = 0;
    while (unitsLeft-- > 0) {
        QByteArray head(lengthBytes + 1, '\0');
        if (!readData(fd, item, offset, &head))
            return pixels; // its end
        if (head.size() < lengthBytes + 1)
            return -1;
        Fields unit(head, 0, head.size());
        const quint64 length = unit.read(lengthBytes);
        if ((uchar(head.back()) >> 1 & 0x3f) == spsType) {
            QByteArray nal(int(std::min<quint64>(length, 1024)), '\0');
            if (!readData(fd, item, offset + quint64(lengthBytes), &nal))
                return -1;
            take(nal);
        }
        offset += quint64(lengthBytes) + length;
    }
    return -1;
}

// A grid's own output size, which is what libheif builds whatever its
// `ispe` says, and its number of tiles.
bool Meta::gridOutput(int fd, const Item &item, QSize *output, quint64 *tileCount) const
{
    QByteArray data(12, '\0');
    if (!readData(fd, item, 0, &data))
        return false;
    Fields fields(data, 0, data.size());
    const int version = int(fields.read(1));
    const int fieldBytes = (fields.read(1) & 1) ? 4 : 2;
    const quint64 rows = fields.read(1) + 1;
    const quint64 columns = fields.read(1) + 1;
    const quint64 width = fields.read(fieldBytes);
    const quint64 height = fields.read(fieldBytes);
    if (!fields.ok || version != 0 || width == 0 || height == 0 || width > maxSide ||
        height > maxSide)
        return false;
    *output = QSize(int(width), int(height));
    *tileCount = rows * columns;
    return true;
}

// libheif's reading of a clean aperture: a size and a centre's offset as
// fractions, rounded, the centre taken from the stored picture's.
bool apertureOf(Fields fields, const QSize &stored, QRect *aperture)
{
    const double widthN = double(fields.read(4)), widthD = double(fields.read(4));
    const double heightN = double(fields.read(4)), heightD = double(fields.read(4));
    const double offsetXN = double(fields.readSigned32()), offsetXD = double(fields.read(4));
    const double offsetYN = double(fields.readSigned32()), offsetYD = double(fields.read(4));
    if (!fields.ok || widthD == 0 || heightD == 0 || offsetXD == 0 || offsetYD == 0)
        return false;
    const auto span = [](double size, double offset, int whole, int *first, int *last) {
        *first = int(std::max(0.0, std::floor(offset + (whole - size) / 2 + 0.5)));
        *last = int(std::min(double(whole - 1), *first + std::floor(size + 0.5) - 1));
        return *first <= *last;
    };
    int left = 0, right = 0, top = 0, bottom = 0;
    const double width = widthN / widthD, height = heightN / heightD;
    if (!(width >= 1 && height >= 1 && width <= maxSide && height <= maxSide) ||
        !span(width, offsetXN / offsetXD, stored.width(), &left, &right) ||
        !span(height, offsetYN / offsetYD, stored.height(), &top, &bottom))
        return false;
    *aperture = QRect(QPoint(left, top), QPoint(right, bottom));
    return true;
}

bool Meta::picture(int fd, quint32 id, HeifHeader::Picture *picture, bool auxiliary) const
{
    const auto found = items.find(id);
    if (found == items.end())
        return false;
    const Item &item = found->second;
    const bool grid = item.type == fourcc("grid");
    if (!grid && !isCoded(id))
        return false;
    picture->id = id;
    bool apertureNamed = false;
    Box aperture{0, 0, 0};
    // Sizes go through the transformations listed before them: libheif
    // writes the rotation first and the turned size after it.
    bool turnedBefore = false;
    for (const quint32 index : item.properties) {
        if (index == 0 || index > properties.size())
            continue;
        const Box &property = properties[index - 1];
        Fields fields(bytes, property.begin, property.end);
        switch (property.type) {
        case fourcc("ispe"): {
            fields.readVersion();
            const quint64 width = fields.read(4);
            const quint64 height = fields.read(4);
            if (!fields.ok || width == 0 || height == 0 || width > maxSide || height > maxSide)
                return false;
            picture->stored = QSize(int(width), int(height));
            if (turnedBefore)
                picture->stored.transpose();
            break;
        }
        case fourcc("clap"):
            apertureNamed = true;
            aperture = property;
            break;
        case fourcc("irot"):
            if (const int turns = int(fields.read(1) & 3)) {
                picture->steps.push_back({turns, false, false});
                turnedBefore = turnedBefore != (turns % 2 == 1);
            }
            break;
        case fourcc("imir"):
            // As libheif reads it: axis 0 turns the picture upside down.
            picture->steps.push_back({0, true, (fields.read(1) & 1) == 0});
            break;
        default:
            break;
        }
    }
    if (picture->stored.isEmpty())
        return false;
    picture->aperture = QRect(QPoint(0, 0), picture->stored);
    if (apertureNamed &&
        !apertureOf(Fields(bytes, aperture.begin, aperture.end), picture->stored,
                    &picture->aperture))
        return false;

    // Decodable when all the decoder builds stays within the budget: the
    // stored size, a grid's own output, every coded picture (each tile
    // once), and each auxiliary picture (an alpha) decoded with it.
    qint64 pixels = qint64(picture->stored.width()) * picture->stored.height();
    std::vector<quint32> coded{id};
    if (grid) {
        QSize output;
        quint64 count = 0;
        const auto named = tiles.find(id);
        if (!gridOutput(fd, item, &output, &count) || named == tiles.end() ||
            named->second.size() != count ||
            !std::all_of(named->second.begin(), named->second.end(),
                         [this](quint32 tile) { return isCoded(tile); }))
            return false;
        pixels = std::max(pixels, qint64(output.width()) * output.height());
        if (count > quint64(maxTiles))
            return true;
        coded = named->second;
    }
    std::sort(coded.begin(), coded.end());
    coded.erase(std::unique(coded.begin(), coded.end()), coded.end());
    for (const quint32 part : coded) {
        const qint64 codedPixels = codedPixelsOf(fd, part);
        if (codedPixels < 0)
            return false;
        pixels = std::max(pixels, codedPixels);
    }
    picture->decodable = pixels <= MemoryBudget::maxFullDecodePixels;
    const auto extra = auxiliaries.find(id);
    for (size_t i = 0; !auxiliary && extra != auxiliaries.end() && i < extra->second.size(); ++i) {
        HeifHeader::Picture part;
        picture->decodable = picture->decodable &&
                             this->picture(fd, extra->second[i], &part, true) && part.decodable;
    }
    return true;
}

} // namespace

QSize HeifHeader::Picture::upright() const
{
    QSize size = aperture.size();
    for (const Step &step : steps) {
        if (step.quarterTurns % 2)
            size.transpose();
    }
    return size;
}

bool HeifHeader::Picture::covers(const QSize &atLeast) const
{
    const QSize size = upright();
    return size.width() >= atLeast.width() && size.height() >= atLeast.height();
}

QRect HeifHeader::Picture::shownArea(const QSize &decoded) const
{
    return aperture.intersected(QRect(QPoint(0, 0), decoded));
}

QImage HeifHeader::Picture::upright(const QImage &shownPart) const
{
    QImage image = shownPart;
    for (const Step &step : steps) {
        if (image.isNull())
            break;
        image = step.mirror ? image.mirrored(!step.flipsRows, step.flipsRows)
                            : image.transformed(QTransform().rotate(-90.0 * step.quarterTurns));
    }
    return image;
}

HeifHeader::HeifHeader(int fd)
{
    valid = read(fd);
}

bool HeifHeader::read(int fd)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    Meta meta;
    meta.fileSize = info.st_size;
    qint64 offset = 0;
    for (int i = 0; i < maxTopLevelBoxes && meta.bytes.isEmpty(); ++i) {
        QByteArray head(16, '\0');
        if (offset + 8 > meta.fileSize || !readAt(fd, offset, head.data(), 8))
            return false;
        if (offset + 16 > meta.fileSize || !readAt(fd, offset + 8, head.data() + 8, 8))
            head.truncate(8);
        Fields fields(head, 0, head.size());
        quint64 size = fields.read(4);
        const quint32 type = quint32(fields.read(4));
        if (size == 1)
            size = fields.read(8);
        else if (size == 0)
            size = quint64(meta.fileSize - offset);
        const qint64 header = fields.position;
        if (!fields.ok || size < quint64(header) || size > quint64(meta.fileSize - offset))
            return false;
        if (type == fourcc("meta")) {
            if (qint64(size) > maxMetaBytes)
                return false;
            meta.bytes.resize(qsizetype(size) - header);
            if (meta.bytes.size() < 4 ||
                !readAt(fd, offset + header, meta.bytes.data(), meta.bytes.size()))
                return false;
        }
        offset += qint64(size);
    }
    if (meta.bytes.isEmpty() || !meta.parse() || !meta.picture(fd, meta.primaryId, &primaryPicture))
        return false;
    for (const auto &[thumbnail, master] : meta.thumbnailOf) {
        Picture picture;
        if (master == meta.primaryId && thumbnail != master &&
            thumbnailPictures.size() < maxThumbnails && meta.picture(fd, thumbnail, &picture))
            thumbnailPictures.push_back(picture);
    }
    return true;
}
