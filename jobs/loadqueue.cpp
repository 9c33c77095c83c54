#include "loadqueue.h"

#include "memorybudget.h"
#include "pictureloader.h"

LoadQueue::LoadQueue(QObject *parent) : QObject(parent)
{
    pool.setMaxThreadCount(MemoryBudget::decodeThreads());
}

LoadQueue::~LoadQueue()
{
    cancelAll();
    pool.waitForDone();
}

quint64 LoadQueue::request(const FolderEntry &entry, const QSize &size, Kind)
{
    const quint64 id = ++lastId;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    open.insert(id, cancelled);
    // Started only once a thread is free, so that a cancel before then
    // costs nothing; the answer comes through the window's event loop.
    pool.start([this, id, entry, size, cancelled] {
        QImage image;
        ThumbnailFile::Stamp stamp;
        const std::shared_ptr<const Folder> folder = *cancelled ? nullptr : entry.folder();
        if (folder) {
            const int dirFd = folder->descriptor();
            stamp = ThumbnailFile::stampOf(dirFd, entry.name);
            image = PictureLoader::quickPreview(dirFd, entry.name, size);
            if (image.isNull())
                image = PictureLoader::loadPreview(dirFd, entry.name, size, cancelled.get());
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
