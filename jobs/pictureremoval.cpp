#include "pictureremoval.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "importrecord.h"
#include "systemcalls.h"

PictureRemoval::PictureRemoval(Worker &worker, QObject *parent) : QObject(parent), worker(worker)
{
    connect(&watcher, &QFutureWatcherBase::finished, this, &PictureRemoval::done);
}

namespace {

// Every file of the entry still has its proven copy.
bool stillProven(const ImportRecord &record, const Folder &folder, const FolderEntry &entry,
                 const QByteArray &volume)
{
    for (const QByteArray &name : entry.files())
        if (!record.stillProven(folder, entry.folderPath(), name, volume))
            return false;
    return true;
}

// The card's own word on the writes of the deletes.
int syncedError(const QString &folder)
{
    if (folder.isEmpty())
        return 0;
    const Folder top(folder);
    if (!top.isOpen())
        return top.openError();
    return SystemCalls::instance()->syncfs(top.descriptor()) == 0 ? 0 : errno;
}

} // namespace

PictureRemoval::Failure PictureRemoval::remove(const QList<FolderEntry> &entries,
                                               const Checks &checks,
                                               const std::atomic<bool> &cancelled)
{
    Failure failure;
    std::unique_ptr<Folder> destination;
    std::unique_ptr<ImportRecord> record;
    if (!checks.provenIn.isEmpty()) {
        destination = std::make_unique<Folder>(checks.provenIn);
        record = std::make_unique<ImportRecord>(*destination);
        record->read();
    }
    for (const FolderEntry &entry : entries) {
        if (cancelled || failure.err != 0)
            break;
        const std::shared_ptr<const Folder> folder = entry.folder();
        if (!folder)
            continue;
        if (record && !stillProven(*record, *folder, entry, checks.volume)) {
            ++failure.kept;
            continue;
        }
        for (const QByteArray &name : entry.removalOrder()) {
            // Gone already is what was asked for.
            if (!folder->remove(name) && errno != ENOENT) {
                failure.name = name;
                failure.err = errno;
                break;
            }
        }
    }
    failure.syncErr = syncedError(checks.syncFolder);
    return failure;
}

bool PictureRemoval::start(const QList<FolderEntry> &entries, const Checks &checks)
{
    if (running)
        return false;
    running = true;
    // The entries (and so their folders) live in the task alone, which lets
    // go of them when it has run.
    const auto task = worker.run<Failure>(
        [entries, checks](const std::atomic<bool> &flag) { return remove(entries, checks, flag); });
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
    last = watcher.result();
    cancelled.reset();
    running = false;
    emit finished(last.name, last.err);
}
