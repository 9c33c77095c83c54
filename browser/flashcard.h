#ifndef FLASHCARD_H
#define FLASHCARD_H

#include <QCoreApplication>
#include <QString>

#include "platform/udisksclient.h"

class QWidget;

// The flash card's file system: mounting, unmounting and its free space,
// all through the system-call seam, or through the udisks2 service where
// that answers (desktops, no root needed). A failed call is printed where the
// browser's diagnostics go and shown in a message box over `parent`.
class FlashCard
{
    // Its texts belong to the browser's screen and are translated with it.
    Q_DECLARE_TR_FUNCTIONS(TesselView)

public:
    // Longest device or mount point the mount call accepts.
    static constexpr int maxArgLength = 255;

    explicit FlashCard(QWidget *parent);

    // 0 on success, -1 after the failure has been shown, `started` when
    // the service has the call: its answer then comes from service(), a
    // failure is shown, and a look at the card follows it (mountPointFound).
    int mount(const QString &device, const QString &mountPoint);
    int unmount(const QString &device, const QString &mountPoint);
    static constexpr int started = 1;
    // Where the service has the device mounted, as service()'s
    // mountPointFound; nothing without the service.
    void findMountPoint(const QString &device);
    UDisksClient &service() { return udisks; }
    // Whether a file system is mounted there now, whatever the last call
    // answered.
    static bool isMounted(const QString &mountPoint);
    // The free space of the file system holding `path` as the display
    // shows it: a number and its unit. False after the failure has been
    // shown; the text and unit are then left as they were.
    bool measureFree(const QString &path, QString &text, QString &unit);

    // The browser's one wording of a failed call.
    static QString failureText(const QString &systemText, int err);

private:
    void showCallFailure(const QString &caption);
    void showServiceFailure(const QString &caption, const QString &error);

    QWidget *parent;
    char deviceBuffer[maxArgLength + 1];
    char mountPointBuffer[maxArgLength + 1];
    UDisksClient udisks;
    QString serviceDevice;
};

#endif
