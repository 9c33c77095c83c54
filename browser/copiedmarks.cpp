#include "browser/copiedmarks.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QTreeWidget>

#include <sys/stat.h>

#include "browser/picturepane.h"
#include "platform/destinationindex.h"

QList<bool> CopiedMarks::find(const QList<FolderEntry> &entries, const Folder &destination)
{
    QList<bool> marks(entries.size(), false);
    QList<QByteArray> wanted;
    for (const FolderEntry &entry : entries)
        wanted += entry.files();
    DestinationIndex index;
    if (!destination.isOpen() || !index.read(destination, wanted))
        return marks;
    for (int i = 0; i < entries.size(); ++i) {
        const FolderEntry &entry = entries.at(i);
        const std::shared_ptr<const Folder> folder = entry.folder();
        bool there = folder != nullptr;
        for (const QByteArray &name : entry.files()) {
            struct stat st;
            there = there && index.holdsAny(name) && folder->status(name, &st) &&
                    index.holdsSame(name, st);
        }
        marks[i] = there;
    }
    return marks;
}

int CopiedMarks::show(const PicturePane &pane, const QString &destination)
{
    QList<QTreeWidgetItem *> items;
    QList<FolderEntry> entries;
    for (int i = 0; i < pane.list->topLevelItemCount(); ++i) {
        items.append(pane.list->topLevelItem(i));
        entries.append(pane.entryOf(items.last()));
    }
    const QList<bool> marks =
        destination.isEmpty() ? QList<bool>(entries.size(), false)
                              : find(entries, Folder(destination));
    const QIcon mark = icon();
    int missing = 0;
    for (int i = 0; i < items.size(); ++i) {
        // Only what changes: each change makes the sorted list look again.
        const bool marked = !items.at(i)->data(0, Qt::DecorationRole).isNull();
        if (marked != marks.at(i))
            items.at(i)->setData(0, Qt::DecorationRole, marks.at(i) ? QVariant(mark) : QVariant());
        missing += marks.at(i) ? 0 : 1;
    }
    return missing;
}

QIcon CopiedMarks::icon()
{
    static const QIcon mark = [] {
        QPixmap picture(12, 12);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 150, 0), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(2, 6.5), QPointF(5, 9.5), QPointF(10, 2.5)}));
        return QIcon(picture);
    }();
    return mark;
}
