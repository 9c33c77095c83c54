#include "widgettools.h"

#include <QApplication>
#include <QFont>
#include <QTreeWidget>

void WidgetTools::setAllWidgetsFont(const QString &family, int pointSize)
{
    const QFont font(family, pointSize, QFont::Normal, false);
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        widget->setFont(font);
        widget->update();
    }
}

QString WidgetTools::findEntry(QTreeWidget *listView, const QString &group, const QString &label,
                               int column)
{
    if (!listView)
        return QObject::tr("not found");
    for (int g = 0; g < listView->topLevelItemCount(); ++g) {
        QTreeWidgetItem *groupItem = listView->topLevelItem(g);
        if (groupItem->text(0) != group)
            continue;
        for (int e = 0; e < groupItem->childCount(); ++e) {
            QTreeWidgetItem *entry = groupItem->child(e);
            if (entry->text(0) == label)
                return entry->text(column);
        }
        return QObject::tr("not found");
    }
    return QObject::tr("not found");
}
