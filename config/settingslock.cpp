#include "config/settingslock.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SettingsLock::SettingsLock(const QString &folder)
{
    fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return;
    elsewhere = errno == EWOULDBLOCK;
    printf("\nSettingsLock - %s is %s", qPrintable(folder),
           elsewhere ? "in use by another Tessel" : "not lockable");
    fflush(stdout);
    ::close(fd);
    fd = -1;
}

SettingsLock::~SettingsLock()
{
    if (fd >= 0)
        ::close(fd);
}
