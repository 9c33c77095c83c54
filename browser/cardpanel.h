#ifndef CARDPANEL_H
#define CARDPANEL_H

#include <QObject>
#include <QString>
#include <QVariant>

#include "flashcard.h"

class PicturePane;
class QLCDNumber;
class QLabel;
class QPushButton;
class QWidget;
class TesselSettings;

// The flash card as the window shows it: the mount button in the colour of
// the card's true state, the free space, and the boxes about the card. It
// asks the card and paints what the card answers; stayed() tells the window
// that an unmount failed and the card's pictures are still there.
class CardPanel : public QObject
{
    Q_OBJECT
public:
    CardPanel(QWidget *window, FlashCard &card, const TesselSettings *settings,
              QPushButton *mountButton, QLCDNumber *freeNumber, QLabel *freeUnit);

    // Mounts the card named by the settings, or looks for one when they
    // name no device and the service can look.
    void mount();
    // Nothing of the card may stay open, or the kernel refuses (busy):
    // releaseWanted() comes first.
    void unmount();
    // What the mount button asks for, unless the card is still answering
    // the last request: true when it was an unmount.
    bool toggle();
    // Paints the card as mounted or not.
    void paint(bool mounted) const;
    void measureFree(const QString &path) const;
    void showFree() const;

    // Whether the listed source lies wholly on the card: a link on a card
    // made elsewhere could lead to the user's own pictures, which "delete
    // all" would then delete. Remembered for tellIfOffCard(). Says so
    // when the card held more folders than could be opened.
    bool holds(const PicturePane &source);
    void tellIfOffCard() const;

signals:
    void releaseWanted();
    void stayed();

private:
    void failed(FlashCard::Error error, const QVariant &data);
    void tell(const QString &caption, const QString &text) const;

    QWidget *window;
    FlashCard &card;
    const TesselSettings *settings;
    QPushButton *mountButton;
    QLCDNumber *freeNumber;
    QLabel *freeUnit;
    bool offCard = false;
};

#endif
