#include "regularfile.h"

#include "folder.h"

#include <fcntl.h>
#include <unistd.h>

RegularFile::RegularFile(const QString &path)
{
    openAt(AT_FDCWD, QFile::encodeName(path), true);
}

RegularFile::RegularFile(int dirFd, const QByteArray &name)
{
    if (!name.isEmpty() && !name.contains('\0') && !name.contains('/'))
        openAt(dirFd, name, false);
}

void RegularFile::openAt(int dirFd, const QByteArray &name, bool followLinks)
{
    const int fd = Folder::openRegular(dirFd, name, followLinks);
    if (fd >= 0 && !open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
}
