#ifndef WIDGETTOOLS_H
#define WIDGETTOOLS_H

#include <QString>

class QTreeWidget;

// Small widget utilities shared by the browser and the dialogs; no data.
class WidgetTools
{
public:
    // Gives every widget of the application the same plain font.
    void setAllWidgetsFont(const QString &family, int pointSize);

    // Text in `column` of the row `label` below the top-level row `group`
    // of a two-level list, or tr("not found").
    QString findEntry(QTreeWidget *listView, const QString &group, const QString &label,
                      int column);
};

#endif
