#include "browser/picturepane.h"

#include <QTreeWidget>

PicturePane::PicturePane(int side, const Widgets &widgets, QString &folder,
                         const QString &thumbCaption, const char *thumbWriter,
                         const Thumbnailer &thumbnailer)
    : side(side),
      list(widgets.list),
      deleteButton(widgets.deleteButton),
      chdirButton(widgets.chdirButton),
      thumbnailButton(widgets.thumbnailButton),
      thumbWriter(thumbWriter),
      dir(folder),
      run(widgets.list, thumbCaption,
          {[this, load = thumbnailer.load](const QString &name) { return load(dir, name); },
           [this, save = thumbnailer.save](const QString &name, const QPixmap *picture) {
               return save(dir, name, picture);
           }})
{
}

QTreeWidgetItem *PicturePane::selectedItem() const
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QList<QTreeWidgetItem *> PicturePane::selectedInOrder() const
{
    QList<QTreeWidgetItem *> selected;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected())
            selected.append(list->topLevelItem(i));
    return selected;
}

void PicturePane::deselect()
{
    list->clearSelection();
}

void PicturePane::empty()
{
    // The items go now: the run must not reach them.
    run.stop();
    list->clear();
}

void PicturePane::fill(const QList<Folder::File> &files)
{
    empty();
    for (const Folder::File &file : files) {
        auto *item = new QTreeWidgetItem(
            list, {Folder::displayName(file.name), QString::number(file.size)});
        item->setData(0, Qt::UserRole, file.name);
    }
}

// Read by descriptor and byte names, so that a name that is not UTF-8 is
// listed, and acted on, as the very file it is.
bool PicturePane::refill(const QString &pattern)
{
    QList<Folder::File> files;
    if (!Folder(dir).files(pattern, &files)) {
        empty();
        return false;
    }
    fill(files);
    return !files.isEmpty();
}

QByteArray PicturePane::nativeName(const QTreeWidgetItem *item)
{
    return item->data(0, Qt::UserRole).toByteArray();
}
