#ifndef PICTUREPANE_H
#define PICTUREPANE_H

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

#include "browser/thumbnailrun.h"
#include "platform/folder.h"

class QPixmap;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// One of the browser's two picture lists: its list view, the folder it
// shows (a setting, read and written in place), the buttons that act on
// its folder and the thumbnail run over its pictures. Every path built from
// one of its file names is built here.
class PicturePane
{
public:
    struct Widgets
    {
        QTreeWidget *list;
        QToolButton *deleteButton;
        QToolButton *chdirButton;
        QToolButton *thumbnailButton;
    };

    // The thumbnail work for a picture of any folder; the pane applies it
    // to its own.
    struct Thumbnailer
    {
        std::function<QPixmap *(const QString &dir, const QString &name)> load;
        std::function<bool(const QString &dir, const QString &name, const QPixmap *picture)> save;
    };

    // `side` is the number the browser records when this pane takes the
    // selection; `thumbWriter` names the pane's thumbnail writing in
    // diagnostics.
    PicturePane(int side, const Widgets &widgets, QString &folder, const QString &thumbCaption,
                const char *thumbWriter, const Thumbnailer &thumbnailer);
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

    // The first selected item, or null.
    QTreeWidgetItem *selectedItem() const;
    // The selected items in list order.
    QList<QTreeWidgetItem *> selectedInOrder() const;
    // Gives up the selection, so that only one pane shows one.
    void deselect();

    // Every emptying and refilling passes through here. An item shows its
    // file's name (undecodable bytes as U+FFFD) and keeps the name's bytes.
    void empty();
    void fill(const QList<Folder::File> &files);
    // Lists the folder's files that match `pattern`; true when there are
    // any. A folder that cannot be read shows nothing: never the names of
    // the folder shown before, which a delete would then act on.
    bool refill(const QString &pattern);
    // The file's name as the file system holds it.
    static QByteArray nativeName(const QTreeWidgetItem *item);

    ThumbnailRun &thumbnails() { return run; }

private:
    QString &dir;
    ThumbnailRun run;
};

#endif
