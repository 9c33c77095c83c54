#include "picturepane.h"

#include <QTreeWidget>

#include "cardlisting.h"

namespace {

const int entryRole = Qt::UserRole + 1;
const int groupRole = Qt::UserRole + 2;

const int sizeColumn = 1;
const int folderColumn = 2;

// Sorted by name within its folder, by name or by folder alike: the pane's
// own pictures come first, then each camera folder's, in the card's order.
class ListedItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int mine = data(0, groupRole).toInt();
        const int theirs = other.data(0, groupRole).toInt();
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == sizeColumn)
            return QTreeWidgetItem::operator<(other);
        if (mine != theirs)
            return mine < theirs;
        return text(0) < other.text(0);
    }
};

} // namespace

PicturePane::PicturePane(int side, const Widgets &widgets, QString &folder,
                         const QString &thumbCaption, const char *thumbWriter,
                         const Thumbnailer &thumbnailer, bool cameraFolders)
    : side(side),
      list(widgets.list),
      deleteButton(widgets.deleteButton),
      chdirButton(widgets.chdirButton),
      thumbnailButton(widgets.thumbnailButton),
      thumbWriter(thumbWriter),
      dir(folder),
      cameraFolders(cameraFolders),
      run(widgets.list, thumbCaption,
          {thumbnailer.queue,
           [this, request = thumbnailer.request](const QTreeWidgetItem *item) {
               return request(entryOf(item));
           },
           [this, save = thumbnailer.save](const QTreeWidgetItem *item, const QImage &picture,
                                           const ThumbnailFile::Stamp &stamp) {
               return save(entryOf(item), picture, stamp);
           },
           [this](const QTreeWidgetItem *item) {
               const std::shared_ptr<const Folder> folder = entryOf(item).folder();
               return !folder || folder->isGone();
           },
           [this, unreadable = thumbnailer.unreadable](const QTreeWidgetItem *item) {
               unreadable(pathOf(item));
           }})
{
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (const QTreeWidgetItem *item = shownItem())
            emit entrySelected(entryOf(item));
    });
}

QTreeWidgetItem *PicturePane::selectedItem() const
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem *PicturePane::shownItem() const
{
    QTreeWidgetItem *current = list->currentItem();
    return current && current->isSelected() ? current : selectedItem();
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
    outOfDescriptors = false;
    hiddenFiles.clear();
    listed.clear();
    folderPaths.clear();
    openedFolder.reset();
}

void PicturePane::fill(const std::shared_ptr<const Folder> &folder, const QList<Listed> &pictures)
{
    empty();
    openedFolder = folder;
    int group = 0;
    for (const Listed &picture : pictures) {
        if (!folderPaths.isEmpty() && folderPaths.last() != picture.folderPath)
            ++group;
        auto *item = new ListedItem(
            {picture.shown, QString::number(picture.size), picture.folderShown});
        item->setData(0, groupRole, group);
        list->addTopLevelItem(item);
        item->setData(0, Qt::UserRole, picture.entry.name);
        item->setData(0, entryRole, int(listed.size()));
        listed.append(picture.entry);
        folderPaths.append(picture.folderPath);
    }
}

// Read by descriptor and byte names, so that a name that is not UTF-8 is
// listed, and acted on, as the very file it is.
bool PicturePane::refill(const QStringList &patterns)
{
    auto folder = std::make_shared<const Folder>(dir);
    QList<Listed> pictures;
    CardListing::Hidden hidden;
    CardListing::Result result = CardListing::Result::Listed;
    if (cameraFolders) {
        QList<CardListing::Listed> found;
        result = CardListing::list(folder, patterns, &found, &hidden);
        for (const CardListing::Listed &file : found)
            pictures.append({file.entry, file.shown, file.size,
                             file.subfolder.isEmpty()
                                 ? dir
                                 : dir + "/" + Folder::displayName(file.subfolder),
                             file.folderShown()});
    } else {
        QList<Folder::File> files;
        if (!folder->isOpen() || !folder->files(patterns, &files))
            result = CardListing::Result::Unreadable;
        for (const Folder::File &file : files)
            pictures.append({{folder, file.name, {}, {}},
                             Folder::displayName(file.name),
                             file.size,
                             dir,
                             {}});
    }
    if (result != CardListing::Result::Listed) {
        empty();
        outOfDescriptors = result == CardListing::Result::OutOfDescriptors;
        return false;
    }
    fill(folder, pictures);
    hiddenFiles = hidden;
    return !pictures.isEmpty();
}

FolderEntry PicturePane::entryOf(const QTreeWidgetItem *item) const
{
    const QVariant index = item ? item->data(0, entryRole) : QVariant();
    if (!index.isValid() || index.toInt() < 0 || index.toInt() >= listed.size())
        return FolderEntry();
    return listed.at(index.toInt());
}

QString PicturePane::folderPathOf(const QTreeWidgetItem *item) const
{
    const QVariant index = item ? item->data(0, entryRole) : QVariant();
    return index.isValid() && index.toInt() < folderPaths.size() ? folderPaths.at(index.toInt())
                                                                 : dir;
}

QString PicturePane::pathOf(const QTreeWidgetItem *item) const
{
    const FolderEntry entry = entryOf(item);
    return folderPathOf(item) + "/" +
           (entry.isValid() ? Folder::displayName(entry.name) : item->text(0));
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
