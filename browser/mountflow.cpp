#include "browser/mountflow.h"

#include <QToolButton>

#include "browser/tesselview.h"
#include "config/tesseldata.h"

MountFlow::MountFlow(TesselView &view) : view(view)
{
    FlashCard &card = view.card;
    QObject::connect(&card, &FlashCard::mountFinished, &view,
                     [this](const QString &mountPoint) { cardMounted(mountPoint); });
    QObject::connect(&card, &FlashCard::mountPointFound, &view,
                     [this](const QString &mountPoint) { cardFoundMounted(mountPoint); });
    QObject::connect(&card, &FlashCard::cardFound, &view,
                     [this](const QString &mountPoint, const QString &pictures) {
                         cardFound(mountPoint, pictures);
                     });
}

// A folder under the card's mount point must lie on the card: a link on a
// card made elsewhere could lead to the user's own pictures, which "delete
// all" would then delete.
bool MountFlow::sourceOnCard() const
{
    const QString mountPoint = cardMountPoint();
    const PicturePane &source = view.source;
    if (source.opened() && !FlashCard::holds(*source.opened(), source.folder(), mountPoint))
        return false;
    for (const FolderEntry &entry : source.entries()) {
        const std::shared_ptr<const Folder> folder = entry.folder();
        if (folder && folder != source.opened() &&
            !FlashCard::holds(*folder, source.folder(), mountPoint))
            return false;
    }
    return true;
}

void MountFlow::tellIfOffCard()
{
    if (sourceOffCard)
        view.tell(TesselView::tr("mount flashdisk"),
                  TesselView::tr("the picture folder is not on the card"));
}

bool MountFlow::initMountState()
{
    const bool listed = view.listLeft();
    view.card.setMounted(listed || FlashCard::isMounted(view.data->mountPoint));
    view.setMountLook(view.mounted);
    view.setSourceButtons(listed);
    return view.mounted;
}

// The look and the flag follow what is mounted, not what the last call
// answered: a failed unmount leaves the card in place, a failed mount
// leaves nothing, and a card may have been mounted by someone else.
void MountFlow::toggle()
{
    if (view.mounted) {
        // The service unmounts for sure or says why; the kernel call is
        // followed by a look at what it left.
        view.card.setMounted(view.unmountDevice() != FlashCard::started &&
                             FlashCard::isMounted(cardMountPoint()));
        view.setMountLook(view.mounted);
        view.setSourceButtons(view.mounted && view.listLeft());
        if (!view.listRight())
            view.clearRight();
        return;
    }
    if (view.data->device.isEmpty() && FlashCard::canFindCard()) {
        view.card.findCard();
        return;
    }
    const QString before = view.source.folder();
    view.source.setFolder(view.data->mountPoint + "/" + view.data->flashPath);
    const int result = view.mountDevice();
    if (result == FlashCard::started) {
        // The service answers later (cardMounted), which then writes the
        // settings.
        view.card.setMounted(true);
        view.setMountLook(true);
        return;
    }
    view.card.setMounted(FlashCard::isMounted(view.data->mountPoint));
    view.setMountLook(view.mounted);
    if (result == 0)
        emit view.cfgChanged();
    if (view.mounted) {
        view.dirTimer.start(700);
        return;
    }
    view.source.setFolder(before);
    view.listRight();
}

void MountFlow::cardMounted(const QString &mountPoint)
{
    if (!mountPoint.isEmpty()) {
        cardFoundMounted(mountPoint);
        emit view.cfgChanged();
    }
    showDir();
}

// A card found through the service is mounted already; its DCIM is listed.
void MountFlow::cardFound(const QString &mountPoint, const QString &pictures)
{
    if (mountPoint.isEmpty())
        return;
    found = mountPoint;
    view.source.setFolder(mountPoint + "/" + pictures);
    emit view.cfgChanged();
    initMountState();
    showDir();
}

// The service knows best where the card is, whatever the settings say.
void MountFlow::cardFoundMounted(const QString &mountPoint)
{
    if (mountPoint.isEmpty())
        return;
    view.source.setFolder(mountPoint + "/" + view.data->flashPath);
    if (initMountState())
        view.slotGetFreeStorage();
}

// Where the card is: the source folder without the picture folder on it
// (the service may have mounted it elsewhere than the setting says).
QString MountFlow::cardMountPoint() const
{
    if (!found.isEmpty())
        return found;
    const QString onCard = "/" + view.data->flashPath;
    const QString folder = view.source.folder();
    return folder.endsWith(onCard) ? folder.left(folder.size() - onCard.size())
                                   : view.data->mountPoint;
}

void MountFlow::showDir()
{
    if (view.listLeft()) {
        view.setSourceButtons(true);
    } else {
        view.card.setMounted(FlashCard::isMounted(cardMountPoint()));
        view.setMountLook(view.mounted);
        view.setSourceButtons(false);
        view.clearLeft();
        tellIfOffCard();
    }
    const bool picturesListed = view.listRight();
    view.destination.deleteButton->setEnabled(picturesListed);
    if (!picturesListed)
        view.clearRight();
}

bool MountFlow::checkOnCard()
{
    sourceOffCard = !sourceOnCard();
    return !sourceOffCard;
}
