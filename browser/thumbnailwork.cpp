#include "thumbnailwork.h"

#include <QTreeWidget>

#include "preview.h"
#include "sharedprogress.h"
#include "tesseldata.h"
#include "thumbnailfile.h"
#include "loadqueue.h"
#include "diagnostics.h"

ThumbnailWork::ThumbnailWork(LoadQueue &queue, const TesselData *data, QObject *parent)
    : QObject(parent), queue(queue), data(data)
{
}

QString ThumbnailWork::thumbName(const QString &dir, const QString &name) const
{
    return dir + "/" + data->thumbnailSuffix + "/" + name + ".png";
}

PicturePane::Thumbnailer ThumbnailWork::thumbnailer()
{
    return {&queue,
            [this](const FolderEntry &entry) {
                return queue.request(entry, QSize(data->previewWidth, data->previewHeight),
                                     LoadQueue::Preview);
            },
            [this](const FolderEntry &entry, const QImage &picture,
                   const ThumbnailFile::Stamp &stamp) { return save(entry, picture, stamp); },
            &Preview::reportUnloadable};
}

// The folder is taken here and held until the thumbnail is written. A
// picture that came without the stamp of the file it was made from is
// taken as it is now.
ThumbnailRun::Writing ThumbnailWork::save(const FolderEntry &entry, const QImage &picture,
                                          const ThumbnailFile::Stamp &stamp) const
{
    return [folder = entry.folder(), name = entry.name, picture, stamp,
            thumbFolder = data->thumbnailSuffix.toUtf8()] {
        if (picture.isNull() || !folder)
            return false;
        const int dirFd = folder->descriptor();
        return ThumbnailFile::save(dirFd, thumbFolder, name, picture,
                                   stamp.modified.isEmpty() ? ThumbnailFile::stampOf(dirFd, name)
                                                            : stamp);
    };
}

// A failed thumbnail is printed before the window shows it.
void ThumbnailWork::follow(progressEdit *window, PicturePane &source, PicturePane &destination)
{
    sharedWindow = new SharedProgress(window, this);
    for (PicturePane *pane : {&source, &destination}) {
        ThumbnailRun *run = &pane->thumbnails();
        connect(run, &ThumbnailRun::saveFailed, this,
                [this, pane](const QString &name, int position) {
                    printUnsaved(*pane, name, position);
                });
        sharedWindow->follow(run);
        connect(run, &ThumbnailRun::finished, this, [this, run] { report(*run); });
    }
}

void ThumbnailWork::printUnsaved(const PicturePane &pane, const QString &name, int position)
{
    // A camera folder's picture has its thumbnail in that folder, a pair's
    // is named after its JPEG.
    const QTreeWidgetItem *item = pane.list->topLevelItem(position);
    const FolderEntry entry = pane.entryOf(item);
    const QString path = entry.isValid()
                             ? thumbName(pane.folderPathOf(item), Folder::displayName(entry.name))
                             : thumbName(pane.folder(), name);
    Diagnostics::print("\nTesselView::" + QByteArray(pane.thumbWriter) +
                       " - thumbnail not saveable (" + path.toLocal8Bit() + ")\n");
}

void ThumbnailWork::report(const ThumbnailRun &run)
{
    if (run.failures() == 0)
        return;
    const QString reason = run.firstFailure().isEmpty() ? tr("the picture cannot be read")
                                                        : run.firstFailure();
    emit runFailed(run.title(), tr("%n of the %1 pictures could not be read or saved.\n%2",
                                   nullptr, run.failures())
                                    .arg(QString::number(run.total()), reason));
}
