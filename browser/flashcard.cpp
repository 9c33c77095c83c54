#include "browser/flashcard.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "platform/cardlisting.h"
#include "platform/folder.h"
#include "platform/systemcalls.h"

namespace {

// Mount flags: the old magic number in the upper half, no options.
const unsigned long mountMagic = 0xC0ED0000UL;

} // namespace

FlashCard::FlashCard(QObject *parent)
    : QObject(parent), deviceBuffer(), mountPointBuffer()
{
    connect(&udisks, &UDisksClient::mountFinished, this,
            [this](const QString &mountPoint, const QString &error) {
                if (!error.isEmpty())
                    serviceFailed(QCoreApplication::translate("TesselView", "mount flashdisk"),
                                  error);
                emit mountFinished(error.isEmpty() ? mountPoint : QString());
            });
    connect(&udisks, &UDisksClient::unmountFinished, this, [this](const QString &error) {
        if (!error.isEmpty())
            serviceFailed(QCoreApplication::translate("TesselView", "unmount flashdisk"), error);
    });
    connect(&udisks, &UDisksClient::mountPointFound, this, &FlashCard::mountPointFound);
    connect(&udisks, &UDisksClient::cardFound, this,
            [this](const QString &device, const QString &mountPoint) {
                if (device.isEmpty()) {
                    emit failed(QCoreApplication::translate("TesselView", "mount flashdisk"),
                                UDisksClient::noCardText());
                    emit cardFound(QString(), QString());
                    return;
                }
                foundDevice = device;
                emit cardFound(mountPoint, UDisksClient::dcimName(mountPoint));
            });
}

void FlashCard::findCard()
{
    udisks.findCard();
}

QString FlashCard::failureText(const QString &systemText, int err)
{
    return QCoreApplication::translate("TesselView", "no success") + "\n" +
           QString("%1\nerrno = %2").arg(systemText).arg(err);
}

void FlashCard::setMounted(bool isMounted)
{
    if (mounted == isMounted)
        return;
    mounted = isMounted;
    emit stateChanged(mounted);
}

void FlashCard::callFailed(const QString &caption)
{
    const int err = errno;
    emit failed(caption, failureText(QString::fromLocal8Bit(strerror(err)), err));
}

void FlashCard::serviceFailed(const QString &caption, const QString &error)
{
    emit failed(caption, QCoreApplication::translate("TesselView", "no success") + "\n" + error);
    // The card may well be mounted now (unmounting refused, or the desktop
    // was quicker): look, so that the browser shows the truth.
    udisks.findMountPoint(serviceDevice);
}

void FlashCard::findMountPoint(const QString &device)
{
    if (UDisksClient::serviceAvailable())
        udisks.findMountPoint(device);
}

int FlashCard::mount(const QString &setting, const QString &mountPoint)
{
    const QString device = setting.isEmpty() ? foundDevice : setting;
    if (UDisksClient::serviceAvailable()) {
        serviceDevice = device;
        udisks.mount(device);
        return started;
    }
    const QByteArray deviceName = QFile::encodeName(device);
    const QByteArray mountPointName = QFile::encodeName(mountPoint);
    // A cut-off name would mount the wrong device or on the wrong directory.
    if (deviceName.size() > maxArgLength || mountPointName.size() > maxArgLength) {
        emit failed(QCoreApplication::translate("TesselView", "mount flashdisk"),
                    QCoreApplication::translate("TesselView", "no success") + "\n" +
                        QCoreApplication::translate(
                            "TesselView", "device or mount point is longer than %1 characters")
                            .arg(maxArgLength));
        return -1;
    }
    memset(deviceBuffer, 0, sizeof deviceBuffer);
    memset(mountPointBuffer, 0, sizeof mountPointBuffer);
    snprintf(deviceBuffer, sizeof deviceBuffer, "%s", deviceName.constData());
    snprintf(mountPointBuffer, sizeof mountPointBuffer, "%s", mountPointName.constData());

    if (SystemCalls::instance()->mount(deviceBuffer, mountPointBuffer, "vfat", mountMagic,
                                       nullptr) == 0)
        return 0;
    const int err = errno;
    printf("\nTesselView::mountDevice - dev is %s", deviceBuffer);
    printf("\nTesselView::mountDevice - mnt is %s", mountPointBuffer);
    fflush(stdout);
    errno = err;
    callFailed(QCoreApplication::translate("TesselView", "mount flashdisk"));
    return -1;
}

int FlashCard::unmount(const QString &setting, const QString &mountPoint)
{
    const QString device = setting.isEmpty() ? foundDevice : setting;
    if (UDisksClient::serviceAvailable()) {
        serviceDevice = device;
        udisks.unmount(device);
        return started;
    }
    if (SystemCalls::instance()->umount(QFile::encodeName(mountPoint).constData()) == 0)
        return 0;
    const int err = errno;
    fflush(stdout);
    errno = err;
    callFailed(QCoreApplication::translate("TesselView", "unmount flashdisk"));
    return -1;
}

bool FlashCard::isMounted(const QString &mountPoint)
{
    return SystemCalls::instance()->isMountPoint(QFile::encodeName(mountPoint).constData());
}

bool FlashCard::holds(const Folder &folder, const QString &path, const QString &mountPoint)
{
    if (!path.startsWith(mountPoint + "/") || !isMounted(mountPoint))
        return true;
    return CardListing::sameDevice(folder, Folder(mountPoint));
}

bool FlashCard::measureFree(const QString &path)
{
    struct statfs fs;
    memset(&fs, 0, sizeof fs);
    if (SystemCalls::instance()->statfs(QFile::encodeName(path).constData(), &fs) != 0) {
        const int err = errno;
        printf("\nTesselView::slotGetFreeStorage call for %s", qPrintable(path));
        fflush(stdout);
        errno = err;
        callFailed(QCoreApplication::translate("TesselView", "statfs call"));
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
