#ifndef PREVIEW_H
#define PREVIEW_H

#include <QObject>
#include <QPixmap>
#include <QString>

#include "imaging/thumbnailfile.h"
#include "platform/folderentry.h"

class PicturePane;
class QLabel;
class TesselData;
class Worker;

// What the preview shows: the picture at preview size, the stamp of the
// picture it was made from (for its thumbnail) and which entry it is.
// Full-screen and "Full" read the picture from here. A picture's own decode
// goes to the worker; a ready thumbnail or the camera's embedded one is
// taken at once. Only the newest request's result is shown.
class Preview : public QObject
{
    Q_OBJECT
public:
    enum Outcome { Shown, Failed, Superseded };

    Preview(QLabel *label, Worker &worker, const TesselData *data, QObject *parent = nullptr);

    // The entry's picture at preview size, from its thumbnail when
    // `useThumb` and that belongs to it; null when it cannot be shown.
    // `path` names it in the diagnostics. Valid until the next call.
    QPixmap *load(const FolderEntry &entry, const QString &path, bool useThumb);
    // The stamp of the picture behind the last load that decoded one.
    const ThumbnailFile::Stamp &stamp() const { return scaledFrom; }

    // Shows the entry of the pane `side`. Superseded when a newer request
    // came while this one was decoded: that one's result stands.
    Outcome show(const FolderEntry &entry, const QString &path, int side);
    // Shows the selected item of `pane` whose text is `name` (the entry is
    // the item's own: a text alone may name another file, as names that
    // are not UTF-8 look alike). `path` gets the picture's path.
    Outcome showSelected(const PicturePane &pane, const QString &name, QString *path);
    // Clears the preview when it shows a picture of `pane` that the pane no
    // longer lists.
    void forgetUnlessListed(const PicturePane &pane);
    // Empties the label and forgets the entry (and its folder).
    void clear();
    bool isShown() const { return shown.isValid(); }
    const FolderEntry &entry() const { return shown; }
    int side() const { return shownSide; }

signals:
    void cleared();

private:
    QLabel *label;
    Worker &worker;
    const TesselData *data;
    QPixmap loadedPic;
    QPixmap scaledPic;
    ThumbnailFile::Stamp scaledFrom;
    FolderEntry shown;
    int shownSide = 0;
    quint64 requests = 0;
};

#endif
