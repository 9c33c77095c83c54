#ifndef FAKESYSTEMCALLS_H
#define FAKESYSTEMCALLS_H

// Stands in for mount, umount, statfs, syncfs and the mount check while it lives:
// records every call and answers as the test tells it to.

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <sys/vfs.h>

#include "systemcalls.h"

class FakeSystemCalls : public SystemCalls
{
public:
    FakeSystemCalls() { SystemCalls::setInstance(this); }
    ~FakeSystemCalls() override { SystemCalls::setInstance(nullptr); }
    FakeSystemCalls(const FakeSystemCalls &) = delete;
    FakeSystemCalls &operator=(const FakeSystemCalls &) = delete;

    int mount(const char *source, const char *target, const char *fsType, unsigned long flags,
              const void *data) override
    {
        calls << QString("mount %1 %2 %3 %4 %5")
                     .arg(source, target, fsType)
                     .arg(flags, 0, 16)
                     .arg(data ? "data" : "null");
        if (!mountErrno)
            mounted = true;
        return answer(mountErrno);
    }

    int umount(const char *target) override
    {
        calls << QString("umount %1").arg(target);
        if (!umountErrno)
            mounted = false;
        return answer(umountErrno);
    }

    // Follows the successful calls; a test sets it for a card that was
    // mounted (or not) before.
    bool isMountPoint(const char *path) override
    {
        calls << QString("ismountpoint %1").arg(path);
        return mounted;
    }

    int statfs(const char *path, struct statfs *buf) override
    {
        calls << QString("statfs %1").arg(path);
        if (statfsErrno)
            return answer(statfsErrno);
        memset(buf, 0, sizeof *buf);
        buf->f_bsize = blockSize;
        buf->f_bavail = availableBlocks;
        buf->f_bfree = availableBlocks;
        return 0;
    }

    int syncfs(int fd) override
    {
        calls << QString("syncfs %1").arg(fd);
        return answer(syncfsErrno);
    }

    QStringList callsOf(const QString &name) const
    {
        return calls.filter(QRegularExpression("^" + name + " "));
    }

    // errno to fail with; 0 succeeds.
    int mountErrno = 0;
    int umountErrno = 0;
    int statfsErrno = 0;
    int syncfsErrno = 0;
    bool mounted = false;
    long blockSize = 4096;
    unsigned long long availableBlocks = 1000;
    QStringList calls;

private:
    static int answer(int err)
    {
        if (!err)
            return 0;
        errno = err;
        return -1;
    }
};

#endif
