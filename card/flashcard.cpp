#include "flashcard.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/vfs.h>

#include "tesselsettings.h"
#include "cardlisting.h"
#include "diagnostics.h"
#include "folder.h"
#include "folderentry.h"
#include "systemcalls.h"
#include "udisksclient.h"
#include "volumeid.h"

namespace {

bool isMountPoint(const QString &folder)
{
    return SystemCalls::instance()->isMountPoint(QFile::encodeName(folder).constData());
}

} // namespace

FlashCard::FlashCard(const TesselSettings *settings, QObject *parent)
    : FlashCard(settings, CardAccess::choose(), parent)
{
}

FlashCard::FlashCard(const TesselSettings *settings, std::unique_ptr<CardAccess> cardAccess,
                     QObject *parent)
    : QObject(parent), settings(settings), access(std::move(cardAccess))
{
    connect(access.get(), &CardAccess::mountFinished, this, &FlashCard::mountAnswered);
    connect(access.get(), &CardAccess::unmountFinished, this, &FlashCard::unmountAnswered);
    connect(access.get(), &CardAccess::mountPointFound, this, &FlashCard::mountPointAnswered);
    connect(access.get(), &CardAccess::cardFound, this, &FlashCard::cardAnswered);
    connect(access.get(), &CardAccess::gone, this, &FlashCard::lost);
}

QString FlashCard::device() const
{
    return settings->device.isEmpty() ? found : settings->device;
}

QString FlashCard::mountPoint() const
{
    return place.isEmpty() ? settings->mountPoint : place;
}

QByteArray FlashCard::volumeOf(const QString &path) const
{
    const QString root = QDir::cleanPath(mountPoint());
    const QString folder = QDir::cleanPath(path);
    return folder == root || folder.startsWith(root + "/") ? identity : QByteArray();
}

QString FlashCard::pictureFolder() const
{
    return mountPoint() + "/" + (foundPictures.isEmpty() ? settings->flashPath : foundPictures);
}

void FlashCard::setMounted(bool isMounted)
{
    if (!isMounted) {
        place.clear();
        foundPictures.clear();
        identity.clear();
    }
    if (mounted == isMounted)
        return;
    mounted = isMounted;
    emit stateChanged(mounted);
}

void FlashCard::finish()
{
    asked = Asked::Nothing;
    emit answered();
}

// The service may put the card elsewhere than the setting says; from then
// on the card is watched, so that its going is told.
void FlashCard::mountedAt(const QString &where, const QByteArray &volume)
{
    place = where == settings->mountPoint ? QString() : where;
    identity = VolumeId::normal(volume);
    setMounted(true);
    access->watch(device());
}

void FlashCard::mount()
{
    if (isBusy())
        return;
    if (!access->takes(device(), settings->mountPoint)) {
        asked = Asked::Mount;
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit failed(NameTooLong, maxArgLength);
                finish();
            },
            Qt::QueuedConnection);
        return;
    }
    asked = Asked::Mount;
    access->mount(device(), settings->mountPoint);
}

void FlashCard::unmount()
{
    if (isBusy())
        return;
    asked = Asked::Unmount;
    // Our own unmount is no loss of the card.
    access->forget();
    access->unmount(device(), mountPoint());
}

void FlashCard::findCard()
{
    if (isBusy())
        return;
    asked = Asked::Mount;
    access->findCard();
}

void FlashCard::look()
{
    // Without the service the first listing has judged already.
    if (!access->canFindCard())
        return;
    lookingAtStart = true;
    access->findMountPoint(device(), settings->mountPoint);
}

void FlashCard::judgeListing(bool picturesListed)
{
    setMounted(picturesListed || isMountPoint(mountPoint()));
    // Without the service no answer names the card mounted before the
    // start: the file system is asked itself.
    if (mounted && identity.isEmpty() && !access->canFindCard())
        identity = VolumeId::normal(KernelCardAccess::volumeAt(mountPoint()));
}

// A failed call may have left the card mounted all the same (unmounting
// refused, or someone else was quicker): the state follows what is there.
void FlashCard::lookAfterFailure(Asked failedRequest)
{
    asked = failedRequest == Asked::Mount ? Asked::LookAfterMount : Asked::LookAfterUnmount;
    access->findMountPoint(device(), mountPoint());
}

void FlashCard::mountAnswered(const QString &where, const QVariant &failure,
                              const QByteArray &volume)
{
    if (failure.isValid()) {
        emit failed(MountFailed, failure);
        lookAfterFailure(Asked::Mount);
        return;
    }
    foundPictures.clear();
    mountedAt(where.isEmpty() ? settings->mountPoint : where, volume);
    emit mountFinished(pictureFolder());
    finish();
}

void FlashCard::unmountAnswered(const QVariant &failure)
{
    if (failure.isValid()) {
        emit failed(UnmountFailed, failure);
        lookAfterFailure(Asked::Unmount);
        return;
    }
    setMounted(false);
    finish();
}

void FlashCard::mountPointAnswered(const QString &where, const QByteArray &volume)
{
    const Asked request = asked;
    if (request != Asked::LookAfterMount && request != Asked::LookAfterUnmount) {
        if (!lookingAtStart)
            return;
        lookingAtStart = false;
        // Nothing mounted at start: the listing has judged.
        if (where.isEmpty())
            return;
    }
    if (where.isEmpty()) {
        setMounted(false);
    } else {
        mountedAt(where, volume);
        // After a failed unmount the pictures stay where the user went.
        if (request != Asked::LookAfterUnmount)
            emit mountPointFound(pictureFolder());
    }
    if (request == Asked::LookAfterMount || request == Asked::LookAfterUnmount)
        finish();
}

void FlashCard::cardAnswered(const QString &cardDevice, const QString &where,
                             const QByteArray &volume)
{
    if (cardDevice.isEmpty()) {
        emit failed(NoCardFound, QVariant());
        finish();
        return;
    }
    found = cardDevice;
    mountedAt(where, volume);
    foundPictures = UDisksClient::dcimName(where);
    emit mountFinished(pictureFolder());
    finish();
}

void FlashCard::lost()
{
    if (asked == Asked::Unmount || !mounted)
        return;
    access->forget();
    setMounted(false);
    emit removed();
}

bool FlashCard::holds(const Folder &folder, const QString &path) const
{
    const QString where = mountPoint();
    if (!path.startsWith(where + "/") || !isMountPoint(where))
        return true;
    return CardListing::sameDevice(folder, Folder(where));
}

bool FlashCard::holdsAll(const Folder *opened, const QList<FolderEntry> &entries,
                         const QString &path) const
{
    if (opened && !holds(*opened, path))
        return false;
    for (const FolderEntry &entry : entries) {
        const std::shared_ptr<const Folder> folder = entry.folder();
        if (!folder || (folder.get() != opened && !holds(*folder, path)))
            return false;
    }
    return true;
}

bool FlashCard::measureFree(const QString &path)
{
    struct statfs fs;
    memset(&fs, 0, sizeof fs);
    if (SystemCalls::instance()->statfs(QFile::encodeName(path).constData(), &fs) != 0) {
        const int err = errno;
        Diagnostics::print("\nTesselView::slotGetFreeStorage call for " + path.toLocal8Bit());
        emit failed(FreeSpaceFailed, err);
        return false;
    }
    // Cards of 2 GiB and more overflow 32 bits.
    const quint64 freeBytes = quint64(fs.f_bsize) * quint64(fs.f_bavail);
    if (freeBytes <= 9999) {
        text = QString::number(freeBytes);
        unit = "B";
    } else if (freeBytes <= 9999999) {
        text = QString::asprintf("%.1f", double(freeBytes / 1024));
        unit = "K";
    } else {
        text = QString::asprintf("%.1f", double(freeBytes / 1048576));
        unit = "M";
    }
    emit freeSpaceChanged(text, unit);
    return true;
}
