#include "settingslock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "diagnostics.h"

SettingsLock::SettingsLock(const QString &folder)
{
    fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return;
    elsewhere = errno == EWOULDBLOCK;
    Diagnostics::print("\nSettingsLock - " + folder.toLocal8Bit() + " is " +
                       (elsewhere ? "in use by another Tessel" : "not lockable"));
    ::close(fd);
    fd = -1;
}

SettingsLock::~SettingsLock()
{
    if (fd >= 0)
        ::close(fd);
}
