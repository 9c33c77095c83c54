#include "cardpanel.h"

#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>

#include "deletecommand.h"
#include "picturepane.h"
#include "tesselsettings.h"
#include "plainmessagebox.h"

namespace {

const QColor mountedColour(255, 80, 80);
const QColor unmountedColour(80, 255, 80);

} // namespace

CardPanel::CardPanel(QWidget *parentWindow, FlashCard &flashCard,
                     const TesselSettings *cardSettings, QPushButton *button, QLCDNumber *number,
                     QLabel *unit)
    : QObject(parentWindow), window(parentWindow), card(flashCard), settings(cardSettings),
      mountButton(button), freeNumber(number), freeUnit(unit)
{
    mountButton->setBackgroundRole(QPalette::Base);
    mountButton->setAutoFillBackground(true);
    paint(false);
    // The look follows what the card says is mounted, not what was asked:
    // a failed unmount leaves the card in place.
    connect(&card, &FlashCard::stateChanged, this, &CardPanel::paint);
    connect(&card, &FlashCard::freeSpaceChanged, this, &CardPanel::showFree);
    connect(&card, &FlashCard::failed, this, &CardPanel::failed);
}

void CardPanel::mount()
{
    if (settings->device.isEmpty() && card.canFindCard())
        card.findCard();
    else
        card.mount();
}

void CardPanel::unmount()
{
    emit releaseWanted();
    card.unmount();
}

bool CardPanel::toggle()
{
    if (card.isBusy())
        return false;
    const bool mounted = card.isMounted();
    if (mounted)
        unmount();
    else
        mount();
    return mounted;
}

void CardPanel::paint(bool mounted) const
{
    mountButton->setText(mounted ? tr("unmount disk") : tr("mount disk"));
    mountButton->setPalette(QPalette(mounted ? mountedColour : unmountedColour));
}

void CardPanel::measureFree(const QString &path) const
{
    if (card.isMounted())
        card.measureFree(path);
}

void CardPanel::showFree() const
{
    freeNumber->display(card.freeText());
    freeUnit->setText(card.freeUnit());
}

bool CardPanel::holds(const PicturePane &source)
{
    if (source.ranOutOfDescriptors())
        tell(tr("list pictures"), tr("The card holds more folders than this program may open "
                                     "at once: nothing is listed."));
    offCard = !card.holdsAll(source.opened().get(), source.entries(), source.folder());
    return !offCard;
}

void CardPanel::tellIfOffCard() const
{
    if (offCard)
        tell(tr("mount flashdisk"), tr("the picture folder is not on the card"));
}

void CardPanel::failed(FlashCard::Error error, const QVariant &data)
{
    const QString caption = error == FlashCard::UnmountFailed     ? tr("unmount flashdisk")
                            : error == FlashCard::FreeSpaceFailed ? tr("statfs call")
                                                                  : tr("mount flashdisk");
    QString text;
    if (error == FlashCard::NoCardFound)
        text = tr("no card found");
    else if (error == FlashCard::NameTooLong)
        text = tr("no success") + "\n" +
               tr("device or mount point is longer than %1 characters").arg(data.toInt());
    else if (data.typeId() == QMetaType::Int)
        text = DeleteCommand::failureText(data.toInt());
    else
        text = tr("no success") + "\n" + data.toString();
    tell(caption, text);
    if (error == FlashCard::UnmountFailed && card.isMounted())
        emit stayed();
}

void CardPanel::tell(const QString &caption, const QString &text) const
{
    PlainMessageBox::information(window, caption, text, QMessageBox::Ok);
}
