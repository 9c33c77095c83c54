#include "browser/thumbnailwork.h"

#include <QCoreApplication>
#include <QPixmap>

#include <cstdio>

#include "browser/preview.h"
#include "browser/sharedprogress.h"
#include "config/tesseldata.h"
#include "imaging/thumbnailfile.h"

ThumbnailWork::ThumbnailWork(Preview &preview, const TesselData *data, QObject *parent)
    : QObject(parent), preview(preview), data(data)
{
}

QString ThumbnailWork::thumbName(const QString &dir, const QString &name) const
{
    return dir + "/" + data->thumbnailSuffix + "/" + name + ".png";
}

PicturePane::Thumbnailer ThumbnailWork::thumbnailer()
{
    return {[this](const FolderEntry &entry, const QString &path) {
                return preview.load(entry, path, false, &loadedFrom);
            },
            [this](const FolderEntry &entry, const QPixmap *picture) {
                return save(entry, picture);
            }};
}

// The run saves right after loading the same picture, so the stamp is that
// picture's.
bool ThumbnailWork::save(const FolderEntry &entry, const QPixmap *picture)
{
    const std::shared_ptr<const Folder> folder = entry.folder();
    return picture && folder &&
           ThumbnailFile::save(folder->descriptor(), data->thumbnailSuffix.toUtf8(), entry.name,
                               picture->toImage(), loadedFrom);
}

// A failed thumbnail is printed before the window shows it.
void ThumbnailWork::follow(progressEdit *window, PicturePane &source, PicturePane &destination)
{
    sharedWindow = new SharedProgress(window, this);
    for (PicturePane *pane : {&source, &destination}) {
        ThumbnailRun *run = &pane->thumbnails();
        connect(run, &ThumbnailRun::saveFailed, this,
                [this, pane](const QString &name) { printUnsaved(*pane, name); });
        sharedWindow->follow(run);
        connect(run, &ThumbnailRun::finished, this, [this, run] { report(*run); });
    }
}

void ThumbnailWork::printUnsaved(const PicturePane &pane, const QString &name)
{
    // A camera folder's picture has its thumbnail in that folder, a pair's
    // is named after its JPEG.
    const QTreeWidgetItem *item = pane.itemShowing(name);
    const FolderEntry entry = pane.entryOf(item);
    const QString path = entry.isValid()
                             ? thumbName(pane.folderPathOf(item), Folder::displayName(entry.name))
                             : thumbName(pane.folder(), name);
    printf("\nTesselView::%s - thumbnail not saveable (%s)\n", pane.thumbWriter,
           qPrintable(path));
    fflush(stdout);
}

void ThumbnailWork::report(const ThumbnailRun &run)
{
    if (run.failures() == 0)
        return;
    const QString reason =
        run.firstFailure().isEmpty()
            ? QCoreApplication::translate("TesselView", "the picture cannot be read")
            : run.firstFailure();
    emit runFailed(run.title(),
                   QCoreApplication::translate(
                       "TesselView", "%n of the %1 pictures could not be read or saved.\n%2",
                       nullptr, run.failures())
                       .arg(QString::number(run.total()), reason));
}
