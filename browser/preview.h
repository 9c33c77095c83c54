#ifndef PREVIEW_H
#define PREVIEW_H

#include <QObject>
#include <QPixmap>
#include <QString>

#include "thumbnailfile.h"
#include "folderentry.h"

class LoadQueue;
class PicturePane;
class QImage;
class QLabel;
class TesselData;

// What the preview shows and which entry it is; full-screen and "Full" read
// the picture from here. A ready thumbnail or the camera's embedded picture
// shows at once; a picture's own decode is asked of the load queue, and
// only the newest request's answer is shown.
class Preview : public QObject
{
    Q_OBJECT
public:
    Preview(QLabel *label, LoadQueue &queue, const TesselData *data, QObject *parent = nullptr);

    // The entry's picture at preview size, decoded here, from its thumbnail
    // when `useThumb` and that belongs to it; null when it cannot be shown.
    // `path` names it in the diagnostics. Valid until the next call.
    QPixmap *load(const FolderEntry &entry, const QString &path, bool useThumb);
    // Says in the diagnostics that the picture at `path` cannot be shown.
    static void reportUnloadable(const QString &path);

    // Shows the selected entry of `pane`; shownPicture() or cleared()
    // follows, at once or when the picture has been decoded. `name` names
    // the picture in diagnostics when nothing is selected.
    void showSelected(const PicturePane &pane, const QString &name);
    // Clears the preview when it shows a picture of `pane` that the pane no
    // longer lists.
    void forgetUnlessListed(const PicturePane &pane);
    // Empties the label, forgets the entry (and its folder) and the
    // request waiting for its picture.
    void clear();
    bool isShown() const { return shown.isValid(); }
    // A picture is being decoded for the preview.
    bool isLoading() const { return waiting != 0; }
    const FolderEntry &entry() const { return shown; }
    int side() const { return shownSide; }

signals:
    // `path` names the picture shown.
    void shownPicture(const QString &path);
    void cleared();

private:
    void loaded(quint64 id, const QImage &image);
    void show(const QPixmap &picture, const FolderEntry &entry, const QString &path, int side);
    void failed(const QString &path);

    QLabel *label;
    LoadQueue &queue;
    const TesselData *data;
    QPixmap loadedPic;
    QPixmap scaledPic;
    FolderEntry shown;
    int shownSide = 0;
    // The newest request and what it is for.
    quint64 waiting = 0;
    FolderEntry waitingEntry;
    QString waitingPath;
    int waitingSide = 0;
};

#endif
