#ifndef MOUNTFLOW_H
#define MOUNTFLOW_H

#include <QString>

class TesselView;

// How the browser follows the card: mounting and unmounting it from the
// mount button, the service's answers, where the card is, and whether the
// source folder really lies on it. It works on the browser's panes and
// card; the browser's slots forward to it.
class MountFlow
{
public:
    explicit MountFlow(TesselView &view);

    bool initMountState();
    // The mount button.
    void toggle();
    // After a mount: both panes listed again.
    void showDir();
    void cardMounted(const QString &mountPoint);
    void cardFound(const QString &mountPoint, const QString &pictures);
    void cardFoundMounted(const QString &mountPoint);

    // Where the card is: the source folder without the picture folder on it
    // (the service may have mounted it elsewhere than the setting says).
    QString cardMountPoint() const;
    // Where the service mounted the card it found by itself; empty
    // otherwise.
    const QString &foundMountPoint() const { return found; }

    // After the source was listed: false when its folder leads off the
    // card, which then tellIfOffCard() says after a mount or a change of
    // folder.
    bool checkOnCard();
    void tellIfOffCard();

private:
    bool sourceOnCard() const;

    TesselView &view;
    bool sourceOffCard = false;
    QString found;
};

#endif
