#include "browser/thumbnailrun.h"

#include <QTreeWidget>

#include <cerrno>
#include <cstring>

#include <utility>

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
    running = true;
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
    QTreeWidgetItem *item = next;
    if (!item) {
        running = false;
        list->setEnabled(true);
        emit finished();
        return false;
    }
    const QString name = item->text(0);
    if (!name.isNull()) {
        // Always the picture itself: an old thumbnail may show an older one.
        QPixmap *picture = work.load(item);
        // Stopped while it loaded: the item may be gone.
        if (!running)
            return false;
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

// The timer rests during the step: showing the progress may run the event
// loop, and the step must not begin again inside itself.
void ThumbnailRun::tick()
{
    ticker.stop();
    if (step() && running)
        ticker.start(tickMs);
}

void ThumbnailRun::stop()
{
    next = nullptr;
    if (!running)
        return;
    running = false;
    ticker.stop();
    list->setEnabled(true);
    emit finished();
}

void ThumbnailRun::cancel()
{
    running = false;
    next = nullptr;
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
