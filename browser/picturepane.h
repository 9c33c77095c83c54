#ifndef PICTUREPANE_H
#define PICTUREPANE_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "thumbnailrun.h"
#include "cardlisting.h"
#include "folder.h"
#include "folderentry.h"

class LoadQueue;
class QPixmap;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// One of the browser's two picture lists: its list view, the folder it
// shows (a setting, read and written in place), the buttons that act on
// its folder and the thumbnail run over its pictures. While it lists a
// folder it holds that folder open, and each item is an entry of it: every
// command reaches the file through the entry, never through its shown text.
class PicturePane : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QTreeWidget *list;
        QToolButton *deleteButton;
        QToolButton *chdirButton;
        QToolButton *thumbnailButton;
    };

    // The thumbnail work for an entry of any pane: asked of `queue`, then
    // written; a picture that cannot be read is named by its path.
    struct Thumbnailer
    {
        LoadQueue *queue;
        std::function<quint64(const FolderEntry &entry)> request;
        std::function<ThumbnailRun::Writing(const FolderEntry &entry, const QImage &picture,
                                            const ThumbnailFile::Stamp &stamp)>
            save;
        std::function<void(const QString &path)> unreadable;
    };

    // One listed picture: its entry, shown text, size, the path of the
    // folder it lies in (the pane's, or a camera folder in it) and that
    // folder's name as its column shows it ("" for the pane's own).
    struct Listed
    {
        FolderEntry entry;
        QString shown;
        qint64 size;
        QString folderPath;
        QString folderShown;
    };

    // `side` is the number the browser records when this pane takes the
    // selection; `thumbWriter` names the pane's thumbnail writing in
    // diagnostics.
    // `cameraFolders`: the pane lists the camera folders ("100CANON") in
    // its folder too, and joins RAW files to their JPEGs.
    PicturePane(int side, const Widgets &widgets, QString &folder, const QString &thumbCaption,
                const char *thumbWriter, const Thumbnailer &thumbnailer,
                bool cameraFolders = false);
    PicturePane(const PicturePane &) = delete;
    PicturePane &operator=(const PicturePane &) = delete;

    const int side;
    QTreeWidget *const list;
    QToolButton *const deleteButton;
    QToolButton *const chdirButton;
    QToolButton *const thumbnailButton;
    const char *const thumbWriter;

    const QString &folder() const { return dir; }
    void setFolder(const QString &path) { dir = path; }
    QString pathOf(const QString &name) const { return dir + "/" + name; }
    // The folder as listed; null while nothing is.
    const std::shared_ptr<const Folder> &opened() const { return openedFolder; }

    // The first selected item, or null.
    QTreeWidgetItem *selectedItem() const;
    // The selected item the preview shows: the one last clicked, else the
    // first selected; null when none is.
    QTreeWidgetItem *shownItem() const;
    // The selected items in list order.
    QList<QTreeWidgetItem *> selectedInOrder() const;
    // Gives up the selection, so that only one pane shows one.
    void deselect();

    // Every emptying and refilling passes through here. Emptying lets go of
    // the folder too, so that nothing of a card stays open.
    void empty();
    void fill(const std::shared_ptr<const Folder> &folder, const QList<Listed> &pictures);
    // Lists the folder's files that match `patterns`; true when there are
    // any. A folder that cannot be read shows nothing: never the names of
    // the folder shown before, which a delete would then act on.
    bool refill(const QStringList &patterns);
    // Whether the last refill found no descriptor left, and so lists nothing.
    bool ranOutOfDescriptors() const { return outOfDescriptors; }
    // The camera files the last refill's patterns left out, by extension.
    const CardListing::Hidden &hidden() const { return hiddenFiles; }

    // The item's entry; invalid for an item of no listing.
    FolderEntry entryOf(const QTreeWidgetItem *item) const;
    // The path of the item's picture (its main file), for questions and
    // diagnostics; and of the folder it lies in.
    QString pathOf(const QTreeWidgetItem *item) const;
    QString folderPathOf(const QTreeWidgetItem *item) const;
    QList<FolderEntry> entries() const { return listed; }
    // Whether the listing holds that very file.
    bool holds(const FolderEntry &entry) const;
    // The file's name as the file system holds it.
    static QByteArray nativeName(const QTreeWidgetItem *item);

    ThumbnailRun &thumbnails() { return run; }

signals:
    // The selection changed and shows this entry (see shownItem()).
    void entrySelected(const FolderEntry &entry);

private:
    QString &dir;
    std::shared_ptr<const Folder> openedFolder;
    QList<FolderEntry> listed;
    QStringList folderPaths;
    const bool cameraFolders;
    bool outOfDescriptors = false;
    CardListing::Hidden hiddenFiles;
    ThumbnailRun run;
};

#endif
