#ifndef SYSTEMCALLS_H
#define SYSTEMCALLS_H

#include <QString>

struct statfs;

// The Linux calls that touch the flash card. The default instance calls the
// kernel; tests put a fake in its place with setInstance(). Failures return
// -1 and leave errno set, as the calls themselves do.
class SystemCalls
{
public:
    virtual ~SystemCalls();

    virtual int mount(const char *source, const char *target, const char *fsType,
                      unsigned long flags, const void *data);
    virtual int umount(const char *target);
    virtual int statfs(const char *path, struct statfs *buf);
    // Writes out what the file system holding `fd` has cached, and reports
    // the write errors it met: the only word of a card that failed its
    // writes after the calls that wrote had succeeded.
    virtual int syncfs(int fd);
    // Whether a file system is mounted on the folder: it lies on another
    // device than its parent (or is the root). The truth after a mount or
    // unmount call, whatever the call answered.
    virtual bool isMountPoint(const char *path);

    // Whether the directory can really be opened for reading. Existence and
    // permission bits do not tell: root passes access() checks that a
    // directory it may not read then refuses. Always the real call.
    static bool canOpenDirectory(const QString &path);

    static SystemCalls *instance();
    // Not owned; nullptr restores the kernel calls.
    static void setInstance(SystemCalls *calls);
};

#endif
