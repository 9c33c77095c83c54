#include "browser/thumbnailrun.h"

#include <QTreeWidget>

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
    next = list->topLevelItem(0);
    index = 1;
    ticker.start(tickMs);
    emit started(caption, list->topLevelItemCount());
}

bool ThumbnailRun::step()
{
    QTreeWidgetItem *item = next;
    if (!item) {
        list->setEnabled(true);
        emit finished();
        return false;
    }
    const QString name = item->text(0);
    if (!name.isNull()) {
        // Always the picture itself: an old thumbnail may show an older one.
        if (QPixmap *picture = work.load(name)) {
            emit progressed(name, index);
            saveThumb(item, picture);
        }
    }
    next = list->topLevelItem(list->indexOfTopLevelItem(item) + 1);
    ++index;
    return true;
}

void ThumbnailRun::tick()
{
    if (!step())
        ticker.stop();
}

void ThumbnailRun::stop()
{
    next = nullptr;
    if (!ticker.isActive())
        return;
    ticker.stop();
    list->setEnabled(true);
    emit finished();
}

void ThumbnailRun::cancel()
{
    ticker.stop();
    list->setEnabled(true);
}

void ThumbnailRun::saveThumb(QTreeWidgetItem *item, const QPixmap *picture)
{
    if (!item || item->text(0).isEmpty())
        return;
    const QString name = item->text(0);
    if (!work.save(name, picture))
        emit saveFailed(name);
}
