#ifndef KERNELCARDACCESS_H
#define KERNELCARDACCESS_H

#include "cardaccess.h"

// Mounts through the kernel's calls (root only), by the system-call seam.
// The call is made at once; its answer is posted to the event loop, so that
// the caller sees the same order as with the service.
class KernelCardAccess : public CardAccess
{
    Q_OBJECT
public:
    // Longest device or mount point the mount call accepts.
    static constexpr int maxArgLength = 255;

    using CardAccess::CardAccess;

    bool takes(const QString &device, const QString &mountPoint) const override;
    void mount(const QString &device, const QString &mountPoint) override;
    void unmount(const QString &device, const QString &mountPoint) override;
    void findMountPoint(const QString &device, const QString &mountPoint) override;
    // The serial of the FAT file system mounted there; empty for any other.
    static QByteArray volumeAt(const QString &mountPoint);

private:
    char deviceBuffer[maxArgLength + 1] = {};
    char mountPointBuffer[maxArgLength + 1] = {};
};

#endif
