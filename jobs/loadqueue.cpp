#include "loadqueue.h"

#include "memorybudget.h"
#include "pictureloader.h"

#include <QTransform>

namespace {

const QByteArray fullScreenFormat("JPEG");

// Degrees folded into 0..359, so that -90 and 270 take the same path.
int normalisedDegrees(int degrees)
{
    return ((degrees % 360) + 360) % 360;
}

} // namespace

LoadQueue::LoadQueue(QObject *parent) : QObject(parent)
{
    pool.setMaxThreadCount(MemoryBudget::decodeThreads());
}

LoadQueue::~LoadQueue()
{
    cancelAll();
    pool.waitForDone();
}

quint64 LoadQueue::request(const FolderEntry &entry, const QSize &size, Kind kind, int degrees)
{
    const quint64 id = ++lastId;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    open.insert(id, cancelled);
    // Started only once a thread is free, so that a cancel before then
    // costs nothing; the answer comes through the window's event loop.
    pool.start([this, id, entry, size, kind, degrees, cancelled] {
        QImage image;
        ThumbnailFile::Stamp stamp;
        const std::shared_ptr<const Folder> folder = *cancelled ? nullptr : entry.folder();
        if (folder) {
            const int dirFd = folder->descriptor();
            stamp = ThumbnailFile::stampOf(dirFd, entry.name);
            if (kind == FullScreen) {
                image = fullScreenImage(dirFd, entry.name, size, degrees, cancelled.get());
            } else {
                image = PictureLoader::quickPreview(dirFd, entry.name, size);
                if (image.isNull())
                    image = PictureLoader::loadPreview(dirFd, entry.name, size, cancelled.get());
            }
        }
        if (!*cancelled)
            QMetaObject::invokeMethod(
                this, [this, id, image, stamp] { answer(id, image, stamp); },
                Qt::QueuedConnection);
    });
    return id;
}

void LoadQueue::answer(quint64 id, const QImage &image, const ThumbnailFile::Stamp &stamp)
{
    const auto request = open.find(id);
    if (request == open.end() || request.value()->load())
        return;
    open.erase(request);
    emit loaded(id, image, stamp);
}

void LoadQueue::cancel(quint64 id)
{
    if (const auto flag = open.take(id))
        flag->store(true);
}

void LoadQueue::stopAndWait()
{
    cancelAll();
    pool.waitForDone();
}

void LoadQueue::cancelAll()
{
    for (const auto &flag : std::as_const(open))
        flag->store(true);
    open.clear();
}

QImage LoadQueue::fullScreenImage(int dirFd, const QByteArray &name, const QSize &size,
                                  int degrees, const std::atomic<bool> *cancelled)
{
    const QSize target = PictureLoader::boundedSize(size);
    if (!target.isValid())
        return QImage();
    const QSize upright = PictureLoader::pictureSize(dirFd, name, fullScreenFormat);
    if (!upright.isValid())
        return QImage();

    // The rotation turns landscape pictures to fit the screen; a portrait
    // picture stands upright already and fills the screen as it is.
    const int turn = PictureLoader::isPortrait(upright) ? 0 : normalisedDegrees(degrees);
    const QTransform rotation = QTransform().rotate(double(turn));

    if (turn % 90 == 0) {
        // A quarter turn swaps the sides: decode straight to the size that
        // becomes the target once turned, so the decoder does the scaling.
        const QSize decoded = (turn % 180 == 0) ? target : target.transposed();
        QImage image =
            PictureLoader::loadScaled(dirFd, name, decoded, fullScreenFormat, cancelled);
        if (image.isNull() || turn == 0)
            return image;
        return image.transformed(rotation);
    }

    // Any other angle: the turned picture's bounding box is what gets
    // stretched, and its size is only known after turning. Decoded no
    // larger than that box can show (a turn widens a picture by up to 1.41),
    // so the box stays within the memory budget too.
    const int side = qMax(1, qMax(target.width(), target.height()) * 7 / 10);
    const QSize largest(side, side);
    const QSize ownSize = largest.boundedTo(upright) == upright
                              ? upright
                              : upright.scaled(largest, Qt::KeepAspectRatio);
    const QImage source =
        PictureLoader::loadScaled(dirFd, name, ownSize, fullScreenFormat, cancelled);
    if (source.isNull())
        return QImage();
    const QImage turned = source.transformed(rotation, Qt::SmoothTransformation);
    if (turned.isNull())
        return QImage();
    return turned.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
