#include "browser/flashcard.h"

#include <QFile>
#include <QMessageBox>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/vfs.h>

#include "platform/systemcalls.h"

namespace {

// Mount flags: the old magic number in the upper half, no options.
const unsigned long mountMagic = 0xC0ED0000UL;

} // namespace

FlashCard::FlashCard(QWidget *parent) : parent(parent), deviceBuffer(), mountPointBuffer()
{
    QObject::connect(&udisks, &UDisksClient::mountFinished, &udisks,
                     [this](const QString &, const QString &error) {
                         if (!error.isEmpty())
                             showServiceFailure(tr("mount flashdisk"), error);
                     });
    QObject::connect(&udisks, &UDisksClient::unmountFinished, &udisks,
                     [this](const QString &error) {
                         if (!error.isEmpty())
                             showServiceFailure(tr("unmount flashdisk"), error);
                     });
}

QString FlashCard::failureText(const QString &systemText, int err)
{
    return tr("no success") + "\n" + QString("%1\nerrno = %2").arg(systemText).arg(err);
}

void FlashCard::showCallFailure(const QString &caption)
{
    const int err = errno;
    QMessageBox::information(parent, caption,
                             failureText(QString::fromLocal8Bit(strerror(err)), err),
                             QMessageBox::Ok);
}

void FlashCard::showServiceFailure(const QString &caption, const QString &error)
{
    QMessageBox::information(parent, caption, tr("no success") + "\n" + error, QMessageBox::Ok);
    // The card may well be mounted now (unmounting refused, or the desktop
    // was quicker): look, so that the browser shows the truth.
    udisks.findMountPoint(serviceDevice);
}

void FlashCard::findMountPoint(const QString &device)
{
    if (UDisksClient::serviceAvailable())
        udisks.findMountPoint(device);
}

int FlashCard::mount(const QString &device, const QString &mountPoint)
{
    if (UDisksClient::serviceAvailable()) {
        serviceDevice = device;
        udisks.mount(device);
        return started;
    }
    const QByteArray deviceName = QFile::encodeName(device);
    const QByteArray mountPointName = QFile::encodeName(mountPoint);
    // A cut-off name would mount the wrong device or on the wrong directory.
    if (deviceName.size() > maxArgLength || mountPointName.size() > maxArgLength) {
        QMessageBox::information(
            parent, tr("mount flashdisk"),
            tr("no success") + "\n" +
                tr("device or mount point is longer than %1 characters").arg(maxArgLength),
            QMessageBox::Ok);
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
    showCallFailure(tr("mount flashdisk"));
    return -1;
}

int FlashCard::unmount(const QString &device, const QString &mountPoint)
{
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
    showCallFailure(tr("unmount flashdisk"));
    return -1;
}

bool FlashCard::isMounted(const QString &mountPoint)
{
    return SystemCalls::instance()->isMountPoint(QFile::encodeName(mountPoint).constData());
}

bool FlashCard::measureFree(const QString &path, QString &text, QString &unit)
{
    struct statfs fs;
    memset(&fs, 0, sizeof fs);
    if (SystemCalls::instance()->statfs(QFile::encodeName(path).constData(), &fs) != 0) {
        const int err = errno;
        printf("\nTesselView::slotGetFreeStorage call for %s", qPrintable(path));
        fflush(stdout);
        errno = err;
        showCallFailure(tr("statfs call"));
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
    return true;
}
