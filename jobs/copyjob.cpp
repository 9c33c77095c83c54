#include "copyjob.h"

#include <QPointer>

#include <utility>

#include <sys/stat.h>

#include "copyplan.h"
#include "folder.h"

namespace {

// A big file's progress is shown every few MB, not at every chunk; a
// picture copied alone shows the window only when it is as big as that.
const qint64 bytesShownEvery = 8 << 20;

qint64 bytesOf(const FolderEntry &entry, const QList<QByteArray> &names)
{
    qint64 total = 0;
    struct stat st;
    const std::shared_ptr<const Folder> folder = entry.folder();
    if (!folder)
        return 0;
    for (const QByteArray &name : names)
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

bool CopyJob::begin(const QString &fromDir, const QString &toDir, const QByteArray &volume)
{
    return !running && copier.begin(fromDir, toDir, volume);
}

void CopyJob::copyOne(const FolderEntry &entry, PictureCopy::Existing replace)
{
    run({whole(entry)}, replace, bytesOf(entry, entry.files()) >= bytesShownEvery);
}

bool CopyJob::plan(const QString &fromDir, const QString &toDir, const QByteArray &volume,
                   const QList<FolderEntry> &entries)
{
    if (!begin(fromDir, toDir, volume))
        return false;
    running = true;
    stopRequested = false;
    planned_ = entries.size();
    copyPlan = std::make_shared<CopyPlan>();
    // A look at every picture, and at the bytes of a name taken, goes to
    // the worker: a video compared on the window's thread would freeze it.
    const auto task = worker.run<bool>(
        [plan = copyPlan, entries, destination = toDir,
         volume = copier.cardVolume()](const std::atomic<bool> &) {
            return plan->make(entries, Folder(destination), volume);
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
    bytesBefore = 0;
    bytesTotal = 0;
    sizes.clear();
    leftOutNames.clear();
    for (const PictureCopy::Transfer &transfer : transfers) {
        sizes.append(bytesOf(transfer.entry, transfer.from));
        bytesTotal += sizes.last();
    }
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
    if (transfers.size() > 1) {
        copyMany();
        return;
    }
    const PictureCopy::Transfer &transfer = transfers.at(next++);
    announce();
    // A file that took the name since the plan stays: the copy refuses.
    const PictureCopy::Result result = copier.check(transfer);
    if (result.outcome == PictureCopy::Failed) {
        if (!leaveOut(result))
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
                        self->showBytes(index, copied);
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

void CopyJob::copyMany()
{
    next = 1;
    announce();
    QPointer<CopyJob> self(this);
    auto shown = std::make_shared<qint64>(0);
    const Worker::Task<PictureCopy::Result> task = copier.startMany(
        transfers,
        [self](int index, const PictureCopy::Result &result) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, index, result] {
                    if (self)
                        self->pictureDone(index, result);
                },
                Qt::QueuedConnection);
            return true;
        },
        [self, shown](qint64 copied) {
            if (copied - *shown < bytesShownEvery)
                return;
            *shown = copied;
            QMetaObject::invokeMethod(
                self.data(),
                [self, copied] {
                    if (self && self->running && self->bytesTotal > 0)
                        emit self->bytesCopied(self->currentName(), self->next,
                                               self->transfers.size(), copied,
                                               self->bytesTotal);
                },
                Qt::QueuedConnection);
        });
    fileCancelled = task.cancelled;
    if (stopRequested)
        task.cancel();
    watcher.setFuture(task.future);
}

// The picture `next` is about to go: its name, and the bytes before it.
void CopyJob::announce()
{
    emit progressed(currentName(), next);
    if (bytesTotal > 0)
        emit bytesCopied(currentName(), next, transfers.size(), bytesBefore, bytesTotal);
}

// A picture of many is done (proven and recorded, or left out); the next
// one is announced.
void CopyJob::pictureDone(int index, const PictureCopy::Result &result)
{
    if (!running || index + 1 != next)
        return;
    if (result.outcome == PictureCopy::Failed)
        leftOutNames.append(currentName());
    bytesBefore += sizes.value(index);
    if (bytesTotal > 0)
        emit bytesCopied(currentName(), next, transfers.size(), bytesBefore, bytesTotal);
    if (next < transfers.size()) {
        ++next;
        emit progressed(currentName(), next);
    }
}

void CopyJob::fileDone()
{
    fileCancelled.reset();
    if (!running)
        return;
    const PictureCopy::Result result = watcher.result();
    if (transfers.size() > 1) {
        if (result.outcome == PictureCopy::Failed)
            fail(result);
        else
            finish();
        return;
    }
    if (result.outcome == PictureCopy::Failed) {
        if (!leaveOut(result))
            fail(result);
        return;
    }
    bytesBefore += sizes.value(next - 1);
    if (bytesTotal > 0)
        emit bytesCopied(currentName(), next, transfers.size(), bytesBefore, bytesTotal);
    if (result.outcome == PictureCopy::Cancelled) {
        finish();
        return;
    }
    ticker.start(0);
}

// One picture of many that failed alone is left out, and the next goes.
bool CopyJob::leaveOut(const PictureCopy::Result &result)
{
    if (!result.onlyThis || transfers.size() < 2)
        return false;
    leftOutNames.append(currentName());
    bytesBefore += sizes.value(next - 1);
    ticker.start(0);
    return true;
}

void CopyJob::showBytes(int index, qint64 copied)
{
    if (!running || index != next || bytesTotal <= 0)
        return;
    emit bytesCopied(currentName(), index, transfers.size(), bytesBefore + copied, bytesTotal);
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
    if (!leftOutNames.isEmpty())
        emit leftOut(std::exchange(leftOutNames, {}));
    copyPlan.reset();
    copier.end();
    emit finished();
}
