#include "browser/copyjob.h"

#include "widgets/heldcontrols.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include "platform/folder.h"
#include "progress/progressedit.h"

namespace {

// A big file's progress is shown every few MB, not at every chunk.
const qint64 bytesShownEvery = 8 << 20;

} // namespace

CopyJob::CopyJob(Worker &worker, char *buffer, std::size_t bufferSize, QObject *parent)
    : QObject(parent), copier(worker, buffer, bufferSize)
{
    ticker.setSingleShot(true);
    connect(&ticker, &QTimer::timeout, this, &CopyJob::step);
    connect(&watcher, &QFutureWatcherBase::finished, this, &CopyJob::fileDone);
}

CopyJob::~CopyJob() = default;

bool CopyJob::start(const QString &fromDir, const QString &toDir,
                    const QList<PictureCopy::Transfer> &files, progressEdit *progress)
{
    if (!copier.begin(fromDir, toDir))
        return false;
    transfers = files;
    window = progress;
    next = 0;
    running = true;
    stopRequested = false;
    holding = std::make_unique<HeldControls>(held);
    connect(this, &CopyJob::progressed, window, &progressEdit::update, Qt::UniqueConnection);
    window->start(QCoreApplication::translate("TesselView", "copy files"), transfers.size());
    window->show();
    ticker.start(0);
    return true;
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
    emit progressed(shownName(next - 1), next);
    // A file that took the name since the plan stays: the copy refuses.
    const PictureCopy::Result result = copier.check(transfer);
    if (result.outcome == PictureCopy::Failed) {
        fail(shownName(next - 1), result);
        return;
    }
    const int index = next;
    QPointer<CopyJob> self(this);
    auto shown = std::make_shared<qint64>(0);
    const Worker::Task<PictureCopy::Result> task =
        copier.start(transfer, PictureCopy::NoReplace, [self, index, shown](qint64 copied, qint64 size) {
            if (copied < size && copied - *shown < bytesShownEvery)
                return;
            *shown = copied;
            QMetaObject::invokeMethod(
                self.data(), [self, index, copied, size] {
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
        fail(shownName(next - 1), result);
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
    const QString name = shownName(index - 1);
    // One arg() for all: a name with "%1" in it stays as it is.
    window->update(QCoreApplication::translate("TesselView", "%1: %2 of %3 MB")
                       .arg(name, QString::number(copied >> 20), QString::number(size >> 20)),
                   index);
}

QString CopyJob::shownName(int index) const
{
    return Folder::displayName(transfers.at(index).entry.name);
}

void CopyJob::fail(const QString &name, const PictureCopy::Result &result)
{
    emit failed(name, result.nameIt ? result.reason + "\n" + name : result.reason);
    finish();
}

void CopyJob::finish()
{
    ticker.stop();
    running = false;
    stopRequested = false;
    window->hide();
    holding.reset();
    emit finished();
}
