#include "platform/reachablepath.h"

#include <QList>

#include <fcntl.h>
#include <unistd.h>

#include "platform/folder.h"

ReachablePath::ReachablePath(const QString &dir, const QString &shownName)
    : reachable(dir + "/" + shownName)
{
    if (Folder::isPlainPath(shownName))
        return;
    const Folder folder(dir);
    QList<QByteArray> names;
    folder.entryNames(&names);
    for (const QByteArray &name : names) {
        if (Folder::displayName(name) != shownName)
            continue;
        fd = folder.open(name, O_RDONLY);
        if (fd >= 0)
            reachable = QStringLiteral("/proc/self/fd/%1").arg(fd);
        return;
    }
}

ReachablePath::~ReachablePath()
{
    if (fd >= 0)
        ::close(fd);
}
