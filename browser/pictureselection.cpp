#include "pictureselection.h"

#include <QToolButton>

#include "picturepane.h"
#include "preview.h"
#include "folder.h"
#include "picturecopy.h"

PictureSelection::PictureSelection(PicturePane &sourcePane, PicturePane &destinationPane,
                                   Preview &shownPreview, const Buttons &commandButtons,
                                   QObject *parent)
    : QObject(parent), source(sourcePane), destination(destinationPane), preview(shownPreview),
      buttons(commandButtons)
{
    for (QToolButton *button : {buttons.deleteAll, buttons.changeFolder, buttons.copy,
                                buttons.showFull, destination.deleteButton})
        button->setEnabled(false);
    for (PicturePane *pane : {&source, &destination})
        connect(pane, &PicturePane::entrySelected, this,
                [this, pane](const FolderEntry &entry) { show(*pane, entry); });
    connect(&preview, &Preview::cleared, this, [this] {
        picture.clear();
        buttons.showFull->setEnabled(false);
    });
    connect(&preview, &Preview::shownPicture, this, &PictureSelection::shown);
}

void PictureSelection::paneChanged(PicturePane &pane, const QTreeWidgetItem *item)
{
    if (!item)
        return;
    side = pane.side;
    (&pane == &source ? destination : source).deselect();
    destination.deleteButton->setEnabled(&pane == &destination);
    if (&pane == &destination)
        buttons.copy->setEnabled(false);
}

void PictureSelection::show(const PicturePane &pane, const FolderEntry &entry)
{
    for (QToolButton *button :
         {buttons.deleteAll, buttons.changeFolder, buttons.copy, buttons.showFull})
        button->setEnabled(false);
    // Nothing may act on a picture that is no longer shown.
    picture.clear();
    // With several selected, the preview shows the one last clicked.
    preview.showSelected(pane, Folder::displayName(entry.name));
    if (&pane == &source && source.selectedInOrder().size() > 1)
        offer();
}

void PictureSelection::shown(const QString &path)
{
    picture = path;
    if (held)
        return;
    buttons.showFull->setEnabled(true);
    offer();
}

void PictureSelection::setListed(bool picturesListed)
{
    listed = picturesListed;
    refresh();
}

void PictureSelection::setHeld(bool isHeld)
{
    held = isHeld;
    if (held)
        return;
    refresh();
    // A preview that came in meanwhile gets its buttons now.
    if (!picture.isEmpty())
        shown(picture);
}

PicturePane *PictureSelection::shownPane() const
{
    PicturePane *pane = side == source.side        ? &source
                        : side == destination.side ? &destination
                                                   : nullptr;
    if (picture.isEmpty() || !preview.isShown() || !pane || !pane->shownItem())
        return nullptr;
    return pane;
}

void PictureSelection::offer()
{
    refresh();
    buttons.copy->setEnabled(listed && PictureCopy::destinationUsable(destination.folder()));
}

void PictureSelection::refresh()
{
    for (QToolButton *button : {buttons.deleteAll, buttons.changeFolder, buttons.thumbnails})
        button->setEnabled(listed);
    if (!listed)
        buttons.copy->setEnabled(false);
}
