#ifndef FLASHCARD_H
#define FLASHCARD_H

#include <QObject>
#include <QString>

#include "platform/udisksclient.h"

class Folder;

// The flash card: whether it is mounted and where, and its free space. It
// mounts and unmounts through the system-call seam, or through the udisks2
// service where that answers (desktops, no root needed), and says what
// changed with its signals; a failed call is printed where the browser's
// diagnostics go and reported with failed(), which the browser shows.
class FlashCard : public QObject
{
    Q_OBJECT
public:
    // Longest device or mount point the mount call accepts.
    static constexpr int maxArgLength = 255;

    explicit FlashCard(QObject *parent = nullptr);

    // 0 on success, -1 after failed() was sent, `started` when the service
    // has the call: its answer then comes as mountFinished, a failure as
    // failed(), and a look at the card follows it (mountPointFound).
    int mount(const QString &device, const QString &mountPoint);
    int unmount(const QString &device, const QString &mountPoint);
    static constexpr int started = 1;
    // Where the service has the device mounted, as mountPointFound;
    // nothing without the service.
    void findMountPoint(const QString &device);
    // Looks through the service for a card with a DCIM folder, for a
    // DEVICE setting left empty; answers with cardFound. That device is
    // then the one mount and unmount act on.
    void findCard();
    static bool canFindCard() { return UDisksClient::serviceAvailable(); }
    // Whether a file system is mounted there now, whatever the last call
    // answered.
    static bool isMounted(const QString &mountPoint);

    // Whether `folder`, opened from `path`, lies on the card mounted at
    // `mountPoint`: a folder under the mount point must be on the same
    // device, or a link on a card made elsewhere leads off it. Anything is
    // while nothing is mounted there.
    static bool holds(const Folder &folder, const QString &path, const QString &mountPoint);

    // The state the browser paints.
    const bool &mountedState() const { return mounted; }
    void setMounted(bool isMounted);

    // Measures the free space of the file system holding `path`, as the
    // display shows it: a number and its unit. False after failed(); the
    // text and unit are then left as they were.
    bool measureFree(const QString &path);
    const QString &freeText() const { return text; }
    const QString &freeUnit() const { return unit; }

    // The browser's one wording of a failed call.
    static QString failureText(const QString &systemText, int err);

signals:
    void stateChanged(bool mounted);
    void freeSpaceChanged(const QString &text, const QString &unit);
    // Empty when the service could not mount it.
    void mountFinished(const QString &mountPoint);
    void mountPointFound(const QString &mountPoint);
    // `pictures` is the card's DCIM folder; both empty when none was found.
    void cardFound(const QString &mountPoint, const QString &pictures);
    void failed(const QString &caption, const QString &reason);

private:
    void callFailed(const QString &caption);
    void serviceFailed(const QString &caption, const QString &error);

    char deviceBuffer[maxArgLength + 1];
    char mountPointBuffer[maxArgLength + 1];
    UDisksClient udisks;
    QString serviceDevice;
    QString foundDevice;
    bool mounted = false;
    QString text;
    QString unit;
};

#endif
