#include "kernelcardaccess.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "diagnostics.h"
#include "folder.h"
#include "systemcalls.h"
#include "volumeid.h"

namespace {

// Mount flags: the old magic number in the upper half, no options.
const unsigned long mountMagic = 0xC0ED0000UL;

QVariant failureOf(int result)
{
    return result == 0 ? QVariant() : QVariant(errno);
}

} // namespace

// A cut-off name would mount the wrong device or on the wrong directory.
bool KernelCardAccess::takes(const QString &device, const QString &mountPoint) const
{
    return QFile::encodeName(device).size() <= maxArgLength &&
           QFile::encodeName(mountPoint).size() <= maxArgLength;
}

void KernelCardAccess::mount(const QString &device, const QString &mountPoint)
{
    memset(deviceBuffer, 0, sizeof deviceBuffer);
    memset(mountPointBuffer, 0, sizeof mountPointBuffer);
    snprintf(deviceBuffer, sizeof deviceBuffer, "%s", QFile::encodeName(device).constData());
    snprintf(mountPointBuffer, sizeof mountPointBuffer, "%s",
             QFile::encodeName(mountPoint).constData());
    const int result = SystemCalls::instance()->mount(deviceBuffer, mountPointBuffer, "vfat",
                                                      mountMagic, nullptr);
    const QVariant failure = failureOf(result);
    const QByteArray volume = result == 0 ? volumeAt(mountPoint) : QByteArray();
    if (result != 0) {
        Diagnostics::print("\nTesselView::mountDevice - dev is " + QByteArray(deviceBuffer));
        Diagnostics::print("\nTesselView::mountDevice - mnt is " + QByteArray(mountPointBuffer));
    }
    QMetaObject::invokeMethod(
        this,
        [this, mountPoint, failure, volume] { emit mountFinished(mountPoint, failure, volume); },
        Qt::QueuedConnection);
}

void KernelCardAccess::unmount(const QString &, const QString &mountPoint)
{
    const QVariant failure =
        failureOf(SystemCalls::instance()->umount(QFile::encodeName(mountPoint).constData()));
    QMetaObject::invokeMethod(
        this, [this, failure] { emit unmountFinished(failure); }, Qt::QueuedConnection);
}

// The kernel knows only whether something is mounted on the folder.
void KernelCardAccess::findMountPoint(const QString &, const QString &mountPoint)
{
    const bool mounted =
        SystemCalls::instance()->isMountPoint(QFile::encodeName(mountPoint).constData());
    const QByteArray volume = mounted ? volumeAt(mountPoint) : QByteArray();
    QMetaObject::invokeMethod(
        this,
        [this, mounted, mountPoint, volume] {
            emit mountPointFound(mounted ? mountPoint : QString(), volume);
        },
        Qt::QueuedConnection);
}

QByteArray KernelCardAccess::volumeAt(const QString &mountPoint)
{
    return VolumeId::ofMountedFolder(Folder(mountPoint));
}
