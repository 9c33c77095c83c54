#ifndef THUMBNAILWORK_H
#define THUMBNAILWORK_H

#include <QObject>
#include <QString>

#include "picturepane.h"
#include "thumbnailfile.h"

class LoadQueue;
class SharedProgress;
class TesselData;
class progressEdit;

// What the browser's thumbnail runs do for each picture, and how they are
// followed: pictures are asked of the load queue at preview size,
// thumbnails are written beside them, every failed save is printed, and
// what a run could not do is told once when it ends.
class ThumbnailWork : public QObject
{
    Q_OBJECT
public:
    ThumbnailWork(LoadQueue &queue, const TesselData *data, QObject *parent = nullptr);

    PicturePane::Thumbnailer thumbnailer();
    // Both panes' runs report to `window`.
    void follow(progressEdit *window, PicturePane &source, PicturePane &destination);
    SharedProgress *shared() const { return sharedWindow; }

    // The thumbnail's path as the diagnostics name it.
    QString thumbName(const QString &dir, const QString &name) const;

signals:
    // A run ended with pictures it could not read or save.
    void runFailed(const QString &caption, const QString &text);

private:
    ThumbnailRun::Writing save(const FolderEntry &entry, const QImage &picture,
                               const ThumbnailFile::Stamp &stamp) const;
    void printUnsaved(const PicturePane &pane, const QString &name, int position);
    void report(const ThumbnailRun &run);

    LoadQueue &queue;
    const TesselData *data;
    SharedProgress *sharedWindow = nullptr;
};

#endif
