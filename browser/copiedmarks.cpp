#include "copiedmarks.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QTreeWidget>

#include <algorithm>

#include "picturepane.h"
#include "picturecopy.h"

namespace {

// Where an item keeps the mark it shows, so that only changes are set.
const int markRole = Qt::UserRole + 16;

} // namespace

QList<ImportRecord::Mark> CopiedMarks::find(const QList<FolderEntry> &entries,
                                            const Folder &destination, const QByteArray &volume)
{
    QList<ImportRecord::Mark> marks(entries.size(), ImportRecord::NotThere);
    if (!destination.isOpen())
        return marks;
    ImportRecord record(destination);
    record.read();
    for (int i = 0; i < entries.size(); ++i) {
        const FolderEntry &entry = entries.at(i);
        const std::shared_ptr<const Folder> folder = entry.folder();
        if (!folder)
            continue;
        ImportRecord::Mark least = ImportRecord::Proven;
        for (const QByteArray &name : entry.files()) {
            ImportRecord::CardFile file;
            least = std::min(least, ImportRecord::CardFile::look(*folder, entry.folderPath(), name,
                                                                 volume, &file)
                                        ? record.mark(file)
                                        : ImportRecord::NotThere);
        }
        marks[i] = least;
    }
    return marks;
}

int CopiedMarks::show(const PicturePane &pane, const QString &destination,
                      const QByteArray &volume)
{
    QList<FolderEntry> entries;
    for (int i = 0; i < pane.list->topLevelItemCount(); ++i)
        entries.append(pane.entryOf(pane.list->topLevelItem(i)));
    const bool none = destination.isEmpty() || PictureCopy::insideSource(pane.folder(), destination);
    return set(*pane.list,
               none ? QList<ImportRecord::Mark>(entries.size(), ImportRecord::NotThere)
                    : find(entries, Folder(destination), volume));
}

int CopiedMarks::set(QTreeWidget &list, const QList<ImportRecord::Mark> &marks)
{
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < list.topLevelItemCount() && i < marks.size(); ++i)
        items.append(list.topLevelItem(i));
    // Each change of a sorted list's item makes it sort again and the view
    // measure it again: all of them in one pass, unheard, then one sort and
    // one layout.
    const bool sorted = list.isSortingEnabled();
    list.setUpdatesEnabled(false);
    list.setSortingEnabled(false);
    const bool wasBlocked = list.model()->blockSignals(true);
    const QIcon proven = icon(ImportRecord::Proven), there = icon(ImportRecord::ThereNotProven);
    int missing = 0;
    for (int i = 0; i < items.size(); ++i) {
        const ImportRecord::Mark mark = marks.at(i);
        if (items.at(i)->data(0, markRole).toInt() != mark) {
            items.at(i)->setData(0, markRole, int(mark));
            items.at(i)->setData(0, Qt::DecorationRole,
                                 mark == ImportRecord::NotThere
                                     ? QVariant()
                                     : QVariant(mark == ImportRecord::Proven ? proven : there));
        }
        missing += mark == ImportRecord::Proven ? 0 : 1;
    }
    list.model()->blockSignals(wasBlocked);
    list.doItemsLayout();
    list.setSortingEnabled(sorted);
    list.setUpdatesEnabled(true);
    return missing;
}

ImportRecord::Mark CopiedMarks::of(const QTreeWidgetItem *item)
{
    return ImportRecord::Mark(item->data(0, markRole).toInt());
}

// A small check mark of our own: green when proven, a grey outline when
// only there.
QIcon CopiedMarks::icon(ImportRecord::Mark mark)
{
    auto draw = [](const QColor &colour, qreal width) {
        QPixmap picture(12, 12);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(2, 6.5), QPointF(5, 9.5), QPointF(10, 2.5)}));
        return QIcon(picture);
    };
    static const QIcon proven = draw(QColor(0, 150, 0), 2);
    static const QIcon there = draw(QColor(150, 150, 150), 1);
    return mark == ImportRecord::Proven ? proven : there;
}
