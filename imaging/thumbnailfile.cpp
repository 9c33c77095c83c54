#include "thumbnailfile.h"

#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <png.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "pictureloader.h"
#include "regularfile.h"
#include "folder.h"
#include "replacementfile.h"

namespace {

const char *const timeKey = "Thumb::MTime";
const char *const sizeKey = "Thumb::Size";
const QByteArray pngSuffix = ".png";

void appendTo(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void noFlush(png_structp) {}

// libpng leaves this by longjmp on an error, so it holds no object that
// needs its destructor run.
bool encodeRows(png_structp png, png_infop info, const QImage &rows, png_text *text,
                QByteArray *out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, appendTo, noFlush);
    png_set_IHDR(png, info, png_uint_32(rows.width()), png_uint_32(rows.height()), 8,
                 rows.hasAlphaChannel() ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // zlib's fastest level and no row filters: a thumbnail is a few
    // kilobytes either way, and Qt's writer, trying every filter on every
    // row, spent twice the time of the whole encoding here.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_text(png, info, text, 2);
    png_write_info(png, info);
    for (int y = 0; y < rows.height(); ++y)
        png_write_row(png, rows.constScanLine(y));
    png_write_end(png, info);
    return true;
}

// The PNG of `image` with the stamp as its text; empty when it cannot be
// made.
QByteArray encoded(const QImage &image, const ThumbnailFile::Stamp &stamp)
{
    const QImage rows = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    QByteArray time = stamp.modified.toLatin1();
    QByteArray size = stamp.size.toLatin1();
    png_text text[2] = {};
    text[0].compression = text[1].compression = PNG_TEXT_COMPRESSION_NONE;
    text[0].key = const_cast<char *>(timeKey);
    text[0].text = time.data();
    text[1].key = const_cast<char *>(sizeKey);
    text[1].text = size.data();
    QByteArray out;
    out.reserve(rows.sizeInBytes() / 2);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool made = info && !rows.isNull() && encodeRows(png, info, rows, text, &out);
    png_destroy_write_struct(&png, &info);
    return made ? out : QByteArray();
}

bool turnedByTag(RegularFile &&file)
{
    if (!file.isOpen())
        return false;
    QImageReader reader(&file);
    return reader.canRead() && reader.transformation() != QImageIOHandler::TransformationNone;
}

ThumbnailFile::Stamp stampFrom(const struct stat &picture)
{
    return {QString::number(qint64(picture.st_mtim.tv_sec)),
            QString::number(qint64(picture.st_size))};
}

bool notOlder(const struct stat &a, const struct timespec &b)
{
    return a.st_mtim.tv_sec > b.tv_sec ||
           (a.st_mtim.tv_sec == b.tv_sec && a.st_mtim.tv_nsec >= b.tv_nsec);
}

// The thumbnail `png` of the open thumbnail folder, when it belongs to the
// picture whose status is `picture`.
QImage loadFor(const Folder &thumbs, const QByteArray &png, const struct stat &picture,
               const std::function<bool()> &pictureTurned)
{
    struct stat thumb;
    if (!thumbs.isOpen() || !thumbs.status(png, &thumb, false) || !S_ISREG(thumb.st_mode))
        return QImage();
    // Decoded at its own size, so the text chunks come along with it.
    const QImage thumbnail = PictureLoader::loadScaled(
        thumbs.descriptor(), png, PictureLoader::pictureSize(thumbs.descriptor(), png));
    if (thumbnail.isNull())
        return QImage();
    const QString time = thumbnail.text(timeKey);
    const QString size = thumbnail.text(sizeKey);
    if (!time.isEmpty() || !size.isEmpty()) {
        const ThumbnailFile::Stamp now = stampFrom(picture);
        return time == now.modified && size == now.size ? thumbnail : QImage();
    }
    const bool current = notOlder(thumb, picture.st_mtim) && notOlder(thumb, picture.st_ctim);
    return current && !pictureTurned() ? thumbnail : QImage();
}

bool saveInto(int dirFd, const QByteArray &thumbFolder, const QByteArray &png,
              const QImage &image, const ThumbnailFile::Stamp &stamp)
{
    if (image.isNull() || stamp.modified.isEmpty() || png.contains('/'))
        return false;
    // Made only when missing: after a card's first picture it is there.
    std::optional<Folder> thumbs(std::in_place, dirFd, thumbFolder, O_NOFOLLOW);
    if (thumbs->openError() == ENOENT) {
        if (::mkdirat(dirFd, thumbFolder.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        thumbs.emplace(dirFd, thumbFolder, O_NOFOLLOW);
    }
    struct stat old;
    if (!thumbs->isOpen() || (thumbs->status(png, &old, false) && !S_ISREG(old.st_mode)))
        return false;
    // Written beside the old one and renamed over it: a link put in its
    // place meanwhile is replaced itself, never written through.
    ReplacementFile out(*thumbs, true);
    QFile file;
    if (out.descriptor() < 0 ||
        !file.open(out.descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return false;
    const QByteArray bytes = encoded(image, stamp);
    if (bytes.isEmpty() || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.close();
    // New thumbnails get the mode the user's umask allows.
    (void)::fchmod(out.descriptor(), ReplacementFile::newFileMode(0666));
    // Not synced: a thumbnail is made again from its picture, and one cut
    // short by a crash does not decode, so the picture shows instead. A
    // sync for each would cost a run most of its time on a card.
    return out.commit(png);
}

// "dir/thumbs/x.png" as the folder holding the thumbnail folder ("dir"),
// the thumbnail folder ("thumbs") and the file ("x.png").
void splitThumbPath(const QString &thumbPath, QByteArray *base, QByteArray *thumbFolder,
                    QByteArray *png)
{
    const QByteArray path = QFile::encodeName(thumbPath);
    const int file = path.lastIndexOf('/');
    *png = path.mid(file + 1);
    const QByteArray folder = file < 0 ? QByteArray(".") : path.left(file);
    const int parent = folder.lastIndexOf('/');
    *thumbFolder = parent < 0 ? folder : folder.mid(parent + 1);
    *base = parent < 0 ? QByteArray(".") : parent == 0 ? QByteArray("/") : folder.left(parent);
}

} // namespace

ThumbnailFile::Stamp ThumbnailFile::stampOf(int dirFd, const QByteArray &name)
{
    struct stat picture;
    if (name.isEmpty() || ::fstatat(dirFd, name.constData(), &picture, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(picture.st_mode))
        return Stamp();
    return stampFrom(picture);
}

ThumbnailFile::Stamp ThumbnailFile::stampOf(const QString &picturePath)
{
    struct stat picture;
    if (::stat(QFile::encodeName(picturePath).constData(), &picture) != 0 ||
        !S_ISREG(picture.st_mode))
        return Stamp();
    return stampFrom(picture);
}

QImage ThumbnailFile::load(int dirFd, const QByteArray &thumbFolder, const QByteArray &name)
{
    struct stat picture;
    if (name.isEmpty() || ::fstatat(dirFd, name.constData(), &picture, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(picture.st_mode))
        return QImage();
    const Folder thumbs(dirFd, thumbFolder, O_NOFOLLOW);
    return loadFor(thumbs, name + pngSuffix, picture,
                   [&] { return turnedByTag(RegularFile(dirFd, name)); });
}

QImage ThumbnailFile::load(const QString &thumbPath, const QString &picturePath)
{
    struct stat picture;
    if (::stat(QFile::encodeName(picturePath).constData(), &picture) != 0 ||
        !S_ISREG(picture.st_mode))
        return QImage();
    QByteArray base, thumbFolder, png;
    splitThumbPath(thumbPath, &base, &thumbFolder, &png);
    const Folder parent(AT_FDCWD, base, 0);
    const Folder thumbs(parent.descriptor(), thumbFolder, O_NOFOLLOW);
    return loadFor(thumbs, png, picture,
                   [&] { return turnedByTag(RegularFile(picturePath)); });
}

bool ThumbnailFile::save(int dirFd, const QByteArray &thumbFolder, const QByteArray &name,
                         const QImage &image, const Stamp &stamp)
{
    return !name.isEmpty() && saveInto(dirFd, thumbFolder, name + pngSuffix, image, stamp);
}

bool ThumbnailFile::save(const QString &thumbPath, const QImage &image, const Stamp &stamp)
{
    QByteArray base, thumbFolder, png;
    splitThumbPath(thumbPath, &base, &thumbFolder, &png);
    const Folder parent(AT_FDCWD, base, 0);
    return parent.isOpen() && saveInto(parent.descriptor(), thumbFolder, png, image, stamp);
}
