#ifndef COPYFLOW_H
#define COPYFLOW_H

#include <QList>

class QTreeWidgetItem;
class TesselView;

// The copy button: one picture with its own question, or many with one
// question for the names the destination gives other pictures. The
// browser asks and shows the boxes; the bytes go through the worker.
class CopyFlow
{
public:
    explicit CopyFlow(TesselView &view);

    void toRight();
    // The selected source picture; returns when it is in place.
    void copySelected();

private:
    void copyMany(const QList<QTreeWidgetItem *> &items);

    TesselView &view;
};

#endif
