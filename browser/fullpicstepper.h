#ifndef FULLPICSTEPPER_H
#define FULLPICSTEPPER_H

#include <QObject>

class FullPic;
class LoadQueue;
class PicturePane;
class QTreeWidgetItem;

// One showing of the full-screen view, walking through one pane's pictures
// in the pane's order; at either end a step shows nothing new. The pane's
// selection follows the picture shown last once the view is closed. The
// view opens at once and each picture comes through the queue; only while
// a picture is loaded is its folder open: the view keeps nothing of the
// card.
class FullPicStepper : public QObject
{
    Q_OBJECT
public:
    FullPicStepper(FullPic &view, LoadQueue &queue);

    // Returns when the view has been closed.
    void show(PicturePane &pane, QTreeWidgetItem *item);

private:
    void step(int delta);
    void load();

    FullPic &view;
    LoadQueue &queue;
    PicturePane *pane = nullptr;
    QTreeWidgetItem *shown = nullptr;
};

#endif
