#include "replacementfile.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder.h"

namespace {

// A name no user file plausibly has, so that only our own leftovers are
// ever removed (a user's ".tessel-backup" stays).
const QByteArray prefix = ".tessel-copy-";
const QByteArray suffix = ".part";
const int randomLength = 8;
const int nameAttempts = 100;
const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

QByteArray randomName()
{
    QByteArray name = prefix;
    for (int i = 0; i < randomLength; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return name + suffix;
}

bool unnamedUnsupported(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOENT;
}

} // namespace

ReplacementFile::ReplacementFile(const Folder &target, bool unnamedAllowed)
    : folder(target)
{
    if (unnamedAllowed) {
        fd = folder.open(".", O_TMPFILE | O_RDWR, 0600);
        unnamed = fd >= 0;
        if (!unnamed && !unnamedUnsupported(errno))
            return;
    }
    if (!unnamed)
        createNamed();
    // Held until the descriptor closes: a copy in another process must not
    // take our file for a leftover, not even in the moment it is linked.
    if (fd >= 0)
        ::flock(fd, LOCK_EX | LOCK_NB);
}

ReplacementFile::~ReplacementFile()
{
    if (!temporaryName.isEmpty())
        folder.remove(temporaryName);
    if (fd >= 0)
        ::close(fd);
}

bool ReplacementFile::createNamed()
{
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const QByteArray name = randomName();
        fd = folder.open(name, O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            temporaryName = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool ReplacementFile::linkUnnamed()
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const QByteArray name = randomName();
        int result = ::linkat(AT_FDCWD, self.constData(), folder.descriptor(), name.constData(),
                              AT_SYMLINK_FOLLOW);
        // Without /proc, the descriptor itself (needs more privilege).
        if (result != 0 && errno == ENOENT)
            result = ::linkat(fd, "", folder.descriptor(), name.constData(), AT_EMPTY_PATH);
        if (result == 0) {
            temporaryName = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool ReplacementFile::commit(const QByteArray &name)
{
    // A name of its own first: linking straight to `name` cannot replace a
    // file that is already there.
    if (unnamed && temporaryName.isEmpty() && !linkUnnamed())
        return false;
    if (!folder.rename(temporaryName, folder, name))
        return false;
    temporaryName.clear();
    return true;
}

bool ReplacementFile::commitNew(const QByteArray &name)
{
    // Linking never replaces: the unnamed file gets the name directly.
    if (unnamed && temporaryName.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        int result = ::linkat(AT_FDCWD, self.constData(), folder.descriptor(), name.constData(),
                              AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT)
            result = ::linkat(fd, "", folder.descriptor(), name.constData(), AT_EMPTY_PATH);
        return result == 0;
    }
    const int dir = folder.descriptor();
    if (::renameat2(dir, temporaryName.constData(), dir, name.constData(), RENAME_NOREPLACE) ==
        0) {
        temporaryName.clear();
        return true;
    }
    // File systems that refuse the flag: a second link, then the first goes.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (::linkat(dir, temporaryName.constData(), dir, name.constData(), 0) != 0)
        return false;
    folder.remove(temporaryName);
    temporaryName.clear();
    return true;
}

bool ReplacementFile::isTemporaryName(const QByteArray &name)
{
    if (name.size() != prefix.size() + randomLength + suffix.size() || !name.startsWith(prefix) ||
        !name.endsWith(suffix))
        return false;
    const QByteArray random = name.mid(prefix.size(), randomLength);
    return std::all_of(random.begin(), random.end(),
                       [](char c) { return c != '\0' && std::strchr(letters, c); });
}

void ReplacementFile::removeLeftovers(const Folder &folder)
{
    QList<QByteArray> names;
    if (!folder.entryNames(&names))
        return;
    for (const QByteArray &name : names) {
        if (!isTemporaryName(name))
            continue;
        const int fd = folder.open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        // A lock we can take is a lock nobody holds: its copy has ended.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            folder.remove(name);
        ::close(fd);
    }
}

mode_t ReplacementFile::newFileMode(mode_t wanted)
{
    QFile status("/proc/self/status");
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            bool ok = false;
            const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (line.startsWith("Umask:") && ok)
                return wanted & ~mode_t(mask);
        }
    }
    return wanted & ~mode_t(022);
}
