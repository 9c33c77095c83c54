#include "jobs/copyjob.h"

#include <QPointer>

#include <sys/stat.h>

#include "jobs/copyplan.h"
#include "platform/folder.h"

namespace {

// A big file's progress is shown every few MB, not at every chunk; a
// picture copied alone shows the window only when it is as big as that.
const qint64 bytesShownEvery = 8 << 20;

qint64 bytesOf(const FolderEntry &entry)
{
    qint64 total = 0;
    struct stat st;
    const std::shared_ptr<const Folder> folder = entry.folder();
    if (!folder)
        return 0;
    for (const QByteArray &name : entry.files())
        if (folder->status(name, &st))
            total += st.st_size;
    return total;
}

} // namespace

CopyJob::CopyJob(Worker &worker, QObject *parent)
    : QObject(parent), worker(worker), copier(worker)
{
    ticker.setSingleShot(true);
    connect(&ticker, &QTimer::timeout, this, &CopyJob::step);
    connect(&watcher, &QFutureWatcherBase::finished, this, &CopyJob::fileDone);
    connect(&planWatcher, &QFutureWatcherBase::finished, this, [this] {
        if (!running)
            return;
        // Cancelled while it looked: nothing is asked.
        if (stopRequested) {
            finish();
            return;
        }
        emit planned(copyPlan->collisions(), planned_);
    });
}

CopyJob::~CopyJob() = default;

bool CopyJob::begin(const QString &fromDir, const QString &toDir)
{
    return !running && copier.begin(fromDir, toDir);
}

void CopyJob::copyOne(const FolderEntry &entry, PictureCopy::Existing replace)
{
    run({whole(entry)}, replace, bytesOf(entry) >= bytesShownEvery);
}

bool CopyJob::plan(const QString &fromDir, const QString &toDir, const QList<FolderEntry> &entries)
{
    if (!begin(fromDir, toDir))
        return false;
    running = true;
    stopRequested = false;
    planned_ = entries.size();
    copyPlan = std::make_shared<CopyPlan>();
    // A look at every picture, and at the bytes of a name taken, goes to
    // the worker: a video compared on the window's thread would freeze it.
    const auto task = worker.run<bool>(
        [plan = copyPlan, entries, destination = toDir](const std::atomic<bool> &) {
            return plan->make(entries, Folder(destination));
        });
    planWatcher.setFuture(task.future);
    return true;
}

void CopyJob::copyPlanned(bool keepBoth)
{
    if (!running || !copyPlan)
        return;
    const QList<PictureCopy::Transfer> files = copyPlan->transfers(keepBoth);
    copyPlan.reset();
    running = false;
    run(files, PictureCopy::NoReplace, true);
}

void CopyJob::run(const QList<PictureCopy::Transfer> &files, PictureCopy::Existing replace,
                  bool worthWindow)
{
    transfers = files;
    existing = replace;
    next = 0;
    running = true;
    stopRequested = false;
    if (worthWindow)
        emit started(transfers.size());
    ticker.start(0);
}

// Between files the next step ends the job; during a file's bytes the
// worker stops within a chunk, and the file's copy leaves nothing.
void CopyJob::cancel()
{
    stopRequested = running;
    if (running && fileCancelled)
        fileCancelled->store(true);
}

void CopyJob::step()
{
    if (!running)
        return;
    if (stopRequested || next >= transfers.size()) {
        finish();
        return;
    }
    const PictureCopy::Transfer &transfer = transfers.at(next++);
    emit progressed(currentName(), next);
    // A file that took the name since the plan stays: the copy refuses.
    const PictureCopy::Result result = copier.check(transfer);
    if (result.outcome == PictureCopy::Failed) {
        fail(result);
        return;
    }
    const int index = next;
    QPointer<CopyJob> self(this);
    auto shown = std::make_shared<qint64>(0);
    const Worker::Task<PictureCopy::Result> task = copier.start(
        transfer, existing, [self, index, shown](qint64 copied, qint64 size) {
            if (copied < size && copied - *shown < bytesShownEvery)
                return;
            *shown = copied;
            QMetaObject::invokeMethod(
                self.data(),
                [self, index, copied, size] {
                    if (self)
                        self->showBytes(index, copied, size);
                },
                Qt::QueuedConnection);
        });
    fileCancelled = task.cancelled;
    // A cancel asked for while the file was announced: a small file is
    // copied whole, a big one stops after its first chunk.
    if (stopRequested)
        task.cancel();
    watcher.setFuture(task.future);
}

void CopyJob::fileDone()
{
    fileCancelled.reset();
    if (!running)
        return;
    const PictureCopy::Result result = watcher.result();
    if (result.outcome == PictureCopy::Failed) {
        fail(result);
        return;
    }
    if (result.outcome == PictureCopy::Cancelled) {
        finish();
        return;
    }
    ticker.start(0);
}

void CopyJob::showBytes(int index, qint64 copied, qint64 size)
{
    if (!running || index != next || size <= 0)
        return;
    emit bytesCopied(currentName(), index, copied, size);
}

QString CopyJob::currentName() const
{
    return next > 0 && next <= transfers.size()
               ? Folder::displayName(transfers.at(next - 1).entry.name)
               : QString();
}

void CopyJob::fail(const PictureCopy::Result &result)
{
    emit failed(result, currentName());
    finish();
}

void CopyJob::finish()
{
    ticker.stop();
    running = false;
    stopRequested = false;
    // Nothing of either folder stays open: the card can be unmounted.
    transfers.clear();
    copyPlan.reset();
    copier.end();
    emit finished();
}
