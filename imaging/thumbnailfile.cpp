#include "thumbnailfile.h"

#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <utility>
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
// Qt's PNG writer takes zlib's level from the quality: 85 gives level 1.
// A thumbnail is a few kilobytes either way, and the stronger levels take
// most of a run's time.
const int pngQuality = 85;

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

bool saveInto(int dirFd, const QByteArray &thumbFolder, const QByteArray &png, QImage image,
              const ThumbnailFile::Stamp &stamp)
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
    // Set on the image: the writer's own text call cannot keep "::" in a key.
    image.setText(timeKey, stamp.modified);
    image.setText(sizeKey, stamp.size);
    QImageWriter writer(&file, "PNG");
    writer.setQuality(pngQuality);
    if (!writer.write(image) || !file.flush())
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
                         QImage image, const Stamp &stamp)
{
    return !name.isEmpty() &&
           saveInto(dirFd, thumbFolder, name + pngSuffix, std::move(image), stamp);
}

bool ThumbnailFile::save(const QString &thumbPath, QImage image, const Stamp &stamp)
{
    QByteArray base, thumbFolder, png;
    splitThumbPath(thumbPath, &base, &thumbFolder, &png);
    const Folder parent(AT_FDCWD, base, 0);
    return parent.isOpen() &&
           saveInto(parent.descriptor(), thumbFolder, png, std::move(image), stamp);
}
