#include "browser/picturepane.h"

#include <QFileInfo>
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

void PicturePane::deselect()
{
    if (QTreeWidgetItem *current = list->currentItem())
        current->setSelected(false);
}

void PicturePane::empty()
{
    // The items go now: the run must not reach them.
    run.stop();
    list->clear();
}

void PicturePane::fill(const QFileInfoList &entries)
{
    empty();
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().isNull() || !entry.isFile())
            continue;
        new QTreeWidgetItem(list, {entry.fileName(), QString::number(entry.size())});
    }
}
