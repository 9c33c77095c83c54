#include "systemcalls.h"

#include <QFile>

#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {
SystemCalls kernelCalls;
SystemCalls *current = &kernelCalls;
}

SystemCalls::~SystemCalls() = default;

int SystemCalls::mount(const char *source, const char *target, const char *fsType,
                       unsigned long flags, const void *data)
{
    return ::mount(source, target, fsType, flags, data);
}

int SystemCalls::umount(const char *target)
{
    return ::umount(target);
}

int SystemCalls::statfs(const char *path, struct statfs *buf)
{
    return ::statfs(path, buf);
}

int SystemCalls::syncfs(int fd)
{
    return ::syncfs(fd);
}

bool SystemCalls::isMountPoint(const char *path)
{
    struct stat folder, parent;
    if (!path || !*path || ::stat(path, &folder) != 0 || !S_ISDIR(folder.st_mode))
        return false;
    const QByteArray up = QByteArray(path) + "/..";
    if (::stat(up.constData(), &parent) != 0)
        return false;
    return folder.st_dev != parent.st_dev || folder.st_ino == parent.st_ino;
}

bool SystemCalls::canOpenDirectory(const QString &path)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

SystemCalls *SystemCalls::instance()
{
    return current;
}

void SystemCalls::setInstance(SystemCalls *calls)
{
    current = calls ? calls : &kernelCalls;
}
