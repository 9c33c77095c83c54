#include "browser/thumbnailrun.h"

#include <QTreeWidget>

#include <cerrno>
#include <cstring>

#include <utility>

int ThumbnailRun::loading = 0;

ThumbnailRun::ThumbnailRun(QTreeWidget *list, const QString &caption, Work work,
                           QObject *parent)
    : QObject(parent), list(list), caption(caption), work(std::move(work))
{
    connect(&ticker, &QTimer::timeout, this, &ThumbnailRun::tick);
}

void ThumbnailRun::start()
{
    // A changing selection would load previews in between the steps.
    list->setEnabled(false);
    ++generation;
    next = list->topLevelItem(0);
    index = 1;
    failed = 0;
    folderRefuses = false;
    count = list->topLevelItemCount();
    firstReason.clear();
    ticker.start(tickMs);
    emit started(caption, list->topLevelItemCount());
}

bool ThumbnailRun::step()
{
    // Loading lets the event loop run: a step asked for meanwhile waits
    // for this one.
    if (busy)
        return true;
    QTreeWidgetItem *item = next;
    if (!item) {
        list->setEnabled(true);
        emit finished();
        return false;
    }
    const QString name = item->text(0);
    if (!name.isNull()) {
        const quint64 before = generation;
        // Always the picture itself: an old thumbnail may show an older one.
        busy = true;
        ++loading;
        QPixmap *picture = work.load(item);
        --loading;
        busy = false;
        // Stopped or started over while it loaded: the item may be gone.
        if (before != generation)
            return next != nullptr;
        if (picture) {
            emit progressed(name, index);
            saveThumb(item, picture);
        } else {
            ++failed;
        }
        // Every picture after it would fail as well.
        if (!picture && work.folderGone && work.folderGone(item)) {
            stop();
            return false;
        }
    }
    next = folderRefuses ? nullptr : list->topLevelItem(list->indexOfTopLevelItem(item) + 1);
    ++index;
    return true;
}

// The timer rests while a picture loads, so that it does not spin in the
// wait; a stop, start or cancel meanwhile decides what comes next.
void ThumbnailRun::tick()
{
    if (busy)
        return;
    // One picture at a time over all runs: another run's load is waiting
    // for the worker, so this one looks again shortly.
    if (loading > 0) {
        ticker.start(waitMs);
        return;
    }
    const quint64 before = generation;
    ticker.stop();
    const bool more = step();
    if (more && before == generation)
        ticker.start(tickMs);
    else if (!more)
        ticker.stop();
}

void ThumbnailRun::stop()
{
    ++generation;
    next = nullptr;
    if (!isRunning())
        return;
    ticker.stop();
    list->setEnabled(true);
    emit finished();
}

void ThumbnailRun::cancel()
{
    ++generation;
    ticker.stop();
    list->setEnabled(true);
}

void ThumbnailRun::saveThumb(QTreeWidgetItem *item, const QPixmap *picture)
{
    if (!item || item->text(0).isEmpty())
        return;
    const QString name = item->text(0);
    errno = 0;
    if (work.save(item, picture))
        return;
    const int err = errno;
    ++failed;
    if (firstReason.isEmpty() && err != 0)
        firstReason = QString::fromLocal8Bit(strerror(err));
    emit saveFailed(name);
    // A thumbnail folder that cannot be written takes no picture at all:
    // decoding the rest would be work for nothing.
    if (err == EACCES || err == EPERM || err == EROFS || err == ENOSPC || err == EDQUOT ||
        err == EIO || err == ENOENT || err == ENOTDIR)
        folderRefuses = true;
}
