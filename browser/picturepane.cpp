#include "browser/picturepane.h"

#include <QTreeWidget>

namespace {

const int entryRole = Qt::UserRole + 1;

} // namespace

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
          {[this, load = thumbnailer.load](const QTreeWidgetItem *item) {
               return load(entryOf(item), pathOf(item->text(0)));
           },
           [this, save = thumbnailer.save](const QTreeWidgetItem *item, const QPixmap *picture) {
               return save(entryOf(item), picture);
           },
           [this](const QTreeWidgetItem *item) {
               const FolderEntry entry = entryOf(item);
               return !entry.folder || entry.folder->isGone();
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
    listed.clear();
    openedFolder.reset();
}

void PicturePane::fill(const std::shared_ptr<const Folder> &folder, const QList<Listed> &pictures)
{
    empty();
    openedFolder = folder;
    for (const Listed &picture : pictures) {
        auto *item = new QTreeWidgetItem(list, {picture.shown, QString::number(picture.size)});
        item->setData(0, Qt::UserRole, picture.entry.name);
        item->setData(0, entryRole, int(listed.size()));
        listed.append(picture.entry);
    }
}

// Read by descriptor and byte names, so that a name that is not UTF-8 is
// listed, and acted on, as the very file it is.
bool PicturePane::refill(const QStringList &patterns)
{
    auto folder = std::make_shared<const Folder>(dir);
    QList<Folder::File> files;
    bool readable = folder->isOpen();
    for (const QString &pattern : patterns) {
        QList<Folder::File> matching;
        readable = readable && folder->files(pattern, &matching);
        files += matching;
    }
    if (!readable) {
        empty();
        return false;
    }
    QList<Listed> pictures;
    for (const Folder::File &file : files)
        pictures.append({{folder, file.name, {}, {}}, Folder::displayName(file.name), file.size});
    fill(folder, pictures);
    return !pictures.isEmpty();
}

FolderEntry PicturePane::entryOf(const QTreeWidgetItem *item) const
{
    const QVariant index = item ? item->data(0, entryRole) : QVariant();
    if (!index.isValid() || index.toInt() < 0 || index.toInt() >= listed.size())
        return FolderEntry();
    return listed.at(index.toInt());
}

bool PicturePane::holds(const FolderEntry &entry) const
{
    for (const FolderEntry &own : listed)
        if (own.sameAs(entry))
            return true;
    return false;
}

QByteArray PicturePane::nativeName(const QTreeWidgetItem *item)
{
    return item->data(0, Qt::UserRole).toByteArray();
}
