#ifndef FLASHCARD_H
#define FLASHCARD_H

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

#include "cardaccess.h"
#include "kernelcardaccess.h"

class Folder;
struct FolderEntry;
class TesselSettings;

// The flash card and everything known of it: whether it is mounted, where,
// the folder of its pictures, its free space and the card found by looking.
// It mounts and unmounts through one CardAccess, chosen when it is made;
// requests return at once and the card tells what came of them only by its
// signals, which the browser paints.
class FlashCard : public QObject
{
    Q_OBJECT
public:
    enum Error {
        // `data` of failed(): the errno (int) or the service's text (string).
        MountFailed,
        UnmountFailed,
        FreeSpaceFailed,
        // `data`: the longest name the call takes.
        NameTooLong,
        // No `data`.
        NoCardFound,
    };
    Q_ENUM(Error)

    // Longest device or mount point the kernel's mount call accepts.
    static constexpr int maxArgLength = KernelCardAccess::maxArgLength;

    // Reads the device, mount point and picture folder from `settings` at
    // every request, so that edits of them hold at once.
    explicit FlashCard(const TesselSettings *settings, QObject *parent = nullptr);
    FlashCard(const TesselSettings *settings, std::unique_ptr<CardAccess> access,
              QObject *parent = nullptr);

    bool isMounted() const { return mounted; }
    // Where the card is or will be: where the service put it, else the
    // setting.
    QString mountPoint() const;
    QString pictureFolder() const;
    // The device a DEVICE setting left empty stands for, once found.
    const QString &foundDevice() const { return found; }
    // The identity of the card's file system while it is mounted, in
    // VolumeId's normal form: udisks2's IdUUID, the FAT serial where the
    // kernel mounts it, else empty.
    const QByteArray &volume() const { return identity; }
    // The identity to record for pictures in `path`: none for a folder
    // off the card, such as one the source pane was moved to.
    QByteArray volumeOf(const QString &path) const;
    const QString &freeText() const { return text; }
    const QString &freeUnit() const { return unit; }

    // Each answers with stateChanged() or failed(), then answered().
    void mount();
    void unmount();
    // A request has not had its answer yet; another is not taken meanwhile.
    bool isBusy() const { return asked != Asked::Nothing; }
    // Looks for a card with a DCIM folder by itself (for a DEVICE setting
    // left empty); answers with mountFinished() or failed(NoCardFound).
    void findCard();
    bool canFindCard() const { return access->canFindCard(); }
    // At start: where the service has the card mounted already, told with
    // mountPointFound(); nothing more when it is not.
    void look();
    // A folder of the card that lists pictures counts as mounted; one that
    // lists none as mounted only while a file system is there.
    void judgeListing(bool picturesListed);

    // Measures the free space of the file system holding `path`: sends
    // freeSpaceChanged(), or failed() and keeps the last figures.
    bool measureFree(const QString &path);

    // Whether `folder`, opened from `path`, lies on the card: a folder
    // under the mount point must be on the same device, or a link on a card
    // made elsewhere leads off it. Anything is while nothing is mounted.
    bool holds(const Folder &folder, const QString &path) const;
    // The same of the folder listed from `path` and of every listed entry.
    bool holdsAll(const Folder *opened, const QList<FolderEntry> &entries,
                  const QString &path) const;

signals:
    void stateChanged(bool mounted);
    void freeSpaceChanged(const QString &text, const QString &unit);
    void failed(FlashCard::Error error, const QVariant &data);
    // A mount of ours (or a card found) has its pictures in `folder`.
    void mountFinished(const QString &folder);
    // The card is mounted without a mount of ours, its pictures in `folder`.
    void mountPointFound(const QString &folder);
    // The card went away behind the program's back (pulled, or unmounted
    // by someone else); stateChanged(false) has come before.
    void removed();
    // A request has its whole answer; failed() and its box came before.
    void answered();

private:
    enum class Asked { Nothing, Mount, Unmount, LookAfterMount, LookAfterUnmount };

    QString device() const;
    void mountAnswered(const QString &mountPoint, const QVariant &failure,
                       const QByteArray &volume);
    void unmountAnswered(const QVariant &failure);
    void mountPointAnswered(const QString &mountPoint, const QByteArray &volume);
    void cardAnswered(const QString &device, const QString &mountPoint, const QByteArray &volume);
    void lost();
    void setMounted(bool isMounted);
    void lookAfterFailure(Asked failedRequest);
    void mountedAt(const QString &mountPoint, const QByteArray &volume);
    void finish();

    const TesselSettings *settings;
    std::unique_ptr<CardAccess> access;
    Asked asked = Asked::Nothing;
    bool lookingAtStart = false;
    bool mounted = false;
    // Set while the card is mounted where the service chose.
    QString place;
    // The card's own picture folder when found by looking (its DCIM).
    QString foundPictures;
    QByteArray identity;
    QString found;
    QString text;
    QString unit;
};

#endif
