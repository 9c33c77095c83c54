#include "jobs/pictureremoval.h"

#include <cerrno>

PictureRemoval::PictureRemoval(Worker &worker, QObject *parent) : QObject(parent), worker(worker)
{
    connect(&watcher, &QFutureWatcherBase::finished, this, &PictureRemoval::done);
}

PictureRemoval::Failure PictureRemoval::remove(const QList<FolderEntry> &entries,
                                               const std::atomic<bool> &cancelled)
{
    for (const FolderEntry &entry : entries) {
        if (cancelled)
            break;
        const std::shared_ptr<const Folder> folder = entry.folder();
        if (!folder)
            continue;
        for (const QByteArray &name : entry.removalOrder()) {
            // Gone already is what was asked for.
            if (!folder->remove(name) && errno != ENOENT)
                return {name, errno};
        }
    }
    return {};
}

bool PictureRemoval::start(const QList<FolderEntry> &entries)
{
    if (running)
        return false;
    running = true;
    // The entries (and so their folders) live in the task alone, which lets
    // go of them when it has run.
    const auto task = worker.run<Failure>(
        [entries](const std::atomic<bool> &flag) { return remove(entries, flag); });
    cancelled = task.cancelled;
    watcher.setFuture(task.future);
    return true;
}

void PictureRemoval::cancel()
{
    if (cancelled)
        cancelled->store(true);
}

void PictureRemoval::done()
{
    const Failure failure = watcher.result();
    cancelled.reset();
    running = false;
    emit finished(failure.name, failure.err);
}
