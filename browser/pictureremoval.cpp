#include "browser/pictureremoval.h"

#include <cerrno>

#include "browser/worker.h"

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

PictureRemoval::Failure PictureRemoval::inWorker(Worker &worker, const QList<FolderEntry> &entries)
{
    const auto task = worker.run<Failure>(
        [entries](const std::atomic<bool> &cancelled) { return remove(entries, cancelled); });
    Worker::await(task.future);
    return task.future.result();
}
