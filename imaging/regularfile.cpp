#include "imaging/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RegularFile::RegularFile(const QString &path)
{
    openAt(AT_FDCWD, QFile::encodeName(path), 0);
}

RegularFile::RegularFile(int dirFd, const QByteArray &name)
{
    if (!name.isEmpty() && !name.contains('\0') && !name.contains('/'))
        openAt(dirFd, name, O_NOFOLLOW);
}

void RegularFile::openAt(int dirFd, const QByteArray &name, int flags)
{
    const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags);
    if (fd < 0)
        return;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
}
