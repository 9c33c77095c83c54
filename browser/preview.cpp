#include "browser/preview.h"

#include <QLabel>
#include <QTreeWidget>

#include <cstdio>

#include "browser/picturepane.h"
#include "jobs/worker.h"
#include "config/tesseldata.h"
#include "imaging/pictureloader.h"

Preview::Preview(QLabel *label, Worker &worker, const TesselData *data, QObject *parent)
    : QObject(parent), label(label), worker(worker), data(data)
{
}

namespace {

QPixmap *loadFailed(const QString &path)
{
    printf("\ntesselview::loadSmallPic(%s) - load didnt work", qPrintable(path));
    fflush(stdout);
    return nullptr;
}

} // namespace

QPixmap *Preview::load(const FolderEntry &entry, const QString &path, bool useThumb)
{
    if (!entry.isValid())
        return loadFailed(path);
    const int dirFd = entry.dirFd();
    const QSize size(data->previewWidth, data->previewHeight);
    if (useThumb) {
        const QImage thumb =
            ThumbnailFile::load(dirFd, data->thumbnailSuffix.toUtf8(), entry.name);
        if (!thumb.isNull()) {
            loadedPic = QPixmap::fromImage(thumb);
            return &loadedPic;
        }
    }

    // Read before the decode, so that a picture changed meanwhile never
    // matches its thumbnail.
    const ThumbnailFile::Stamp stamp = ThumbnailFile::stampOf(dirFd, entry.name);
    QImage image = PictureLoader::quickPreview(dirFd, entry.name, size);
    if (image.isNull())
        image = PictureLoader::loadPreview(dirFd, entry.name, size, nullptr);
    // Set only now: another load may have run while this one waited.
    scaledFrom = stamp;
    scaledPic = QPixmap::fromImage(image);
    return scaledPic.isNull() ? loadFailed(path) : &scaledPic;
}

Preview::Outcome Preview::show(const FolderEntry &entry, const QString &path, int side)
{
    const quint64 request = ++requests;
    const QPixmap *picture = load(entry, path, true);
    if (request != requests)
        return Superseded;
    if (!picture) {
        // The previous photo would pass for the selected one.
        clear();
        return Failed;
    }
    label->setPixmap(*picture);
    shown = entry;
    shownSide = side;
    return Shown;
}

Preview::Outcome Preview::showSelected(const PicturePane &pane, const QString &name,
                                       QString *path)
{
    const QTreeWidgetItem *shownItem = nullptr;
    for (const QTreeWidgetItem *item : {pane.list->currentItem(), pane.selectedItem()})
        if (!shownItem && item && item->isSelected() && item->text(0) == name)
            shownItem = item;
    *path = shownItem ? pane.pathOf(shownItem) : pane.pathOf(name);
    return show(pane.entryOf(shownItem), *path, pane.side);
}

void Preview::forgetUnlessListed(const PicturePane &pane)
{
    if (shownSide == pane.side && !pane.holds(shown))
        clear();
}

void Preview::clear()
{
    label->clear();
    shown = FolderEntry();
    shownSide = 0;
    emit cleared();
}
