#include "fullpicstepper.h"

#include <QTreeWidget>

#include "picturepane.h"
#include "fullpic.h"
#include "folderentry.h"

FullPicStepper::FullPicStepper(FullPic &fullView, LoadQueue &loads)
    : view(fullView), queue(loads)
{
    connect(&view, &FullPic::stepRequested, this, &FullPicStepper::step);
}

void FullPicStepper::show(PicturePane &picturePane, QTreeWidgetItem *item)
{
    pane = &picturePane;
    shown = item;
    load();
    view.exec();
    view.hide();
    // The list may have been emptied meanwhile (the card pulled).
    if (pane->list->indexOfTopLevelItem(shown) >= 0)
        pane->list->setCurrentItem(shown);
}

void FullPicStepper::step(int delta)
{
    QTreeWidget *list = pane->list;
    const int at = list->indexOfTopLevelItem(shown);
    if (at < 0)
        return;
    for (int next = at + delta; next >= 0 && next < list->topLevelItemCount(); next += delta) {
        QTreeWidgetItem *item = list->topLevelItem(next);
        if (!pane->entryOf(item).name.isEmpty()) {
            shown = item;
            load();
            return;
        }
    }
}

void FullPicStepper::load()
{
    view.loadPicture(queue, pane->entryOf(shown));
}
