#include "preview.h"

#include <QLabel>
#include <QTreeWidget>


#include "picturepane.h"
#include "tesseldata.h"
#include "pictureloader.h"
#include "loadqueue.h"
#include "diagnostics.h"

Preview::Preview(QLabel *label, LoadQueue &queue, const TesselData *data, QObject *parent)
    : QObject(parent), label(label), queue(queue), data(data)
{
    connect(&queue, &LoadQueue::loaded, this,
            [this](quint64 id, const QImage &image) { loaded(id, image); });
}

void Preview::reportUnloadable(const QString &path)
{
    Diagnostics::print("\ntesselview::loadSmallPic(" + path.toLocal8Bit() + ") - load didnt work");
}

QPixmap *Preview::load(const FolderEntry &entry, const QString &path, bool useThumb)
{
    const std::shared_ptr<const Folder> folder = entry.folder();
    if (!folder) {
        reportUnloadable(path);
        return nullptr;
    }
    const int dirFd = folder->descriptor();
    const QSize size(data->previewWidth, data->previewHeight);
    if (useThumb) {
        const QImage thumb =
            ThumbnailFile::load(dirFd, data->thumbnailSuffix.toUtf8(), entry.name);
        if (!thumb.isNull()) {
            loadedPic = QPixmap::fromImage(thumb);
            return &loadedPic;
        }
    }
    QImage image = PictureLoader::quickPreview(dirFd, entry.name, size);
    if (image.isNull())
        image = PictureLoader::loadPreview(dirFd, entry.name, size);
    scaledPic = QPixmap::fromImage(image);
    if (scaledPic.isNull()) {
        reportUnloadable(path);
        return nullptr;
    }
    return &scaledPic;
}

void Preview::showSelected(const PicturePane &pane, const QString &name)
{
    const QTreeWidgetItem *item = pane.shownItem();
    const FolderEntry entry = pane.entryOf(item);
    const QString path = item ? pane.pathOf(item) : pane.pathOf(name);
    queue.cancel(waiting);
    waiting = 0;
    waitingEntry = FolderEntry();
    const std::shared_ptr<const Folder> folder = entry.folder();
    if (!folder) {
        failed(path);
        return;
    }
    const QSize size(data->previewWidth, data->previewHeight);
    const QImage thumb =
        ThumbnailFile::load(folder->descriptor(), data->thumbnailSuffix.toUtf8(), entry.name);
    const QImage quick =
        thumb.isNull() ? PictureLoader::quickPreview(folder->descriptor(), entry.name, size)
                       : thumb;
    if (!quick.isNull()) {
        show(QPixmap::fromImage(quick), entry, path, pane.side);
        return;
    }
    // The previous photo would pass for the selected one meanwhile.
    label->clear();
    shown = FolderEntry();
    shownSide = 0;
    waiting = queue.request(entry, size, LoadQueue::Preview);
    waitingEntry = entry;
    waitingPath = path;
    waitingSide = pane.side;
}

void Preview::loaded(quint64 id, const QImage &image)
{
    if (id == 0 || id != waiting)
        return;
    waiting = 0;
    const FolderEntry entry = waitingEntry;
    waitingEntry = FolderEntry();
    if (image.isNull())
        failed(waitingPath);
    else
        show(QPixmap::fromImage(image), entry, waitingPath, waitingSide);
}

void Preview::show(const QPixmap &picture, const FolderEntry &entry, const QString &path,
                   int side)
{
    scaledPic = picture;
    label->setPixmap(scaledPic);
    shown = entry;
    shownSide = side;
    emit shownPicture(path);
}

void Preview::failed(const QString &path)
{
    reportUnloadable(path);
    clear();
}

void Preview::forgetUnlessListed(const PicturePane &pane)
{
    if (waiting && waitingSide == pane.side && !pane.holds(waitingEntry)) {
        queue.cancel(waiting);
        waiting = 0;
        waitingEntry = FolderEntry();
    }
    if (shownSide == pane.side && !pane.holds(shown))
        clear();
}

void Preview::clear()
{
    queue.cancel(waiting);
    waiting = 0;
    waitingEntry = FolderEntry();
    label->clear();
    shown = FolderEntry();
    shownSide = 0;
    emit cleared();
}
