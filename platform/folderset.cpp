#include "folderset.h"

#include <QMutexLocker>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace {

// FAT and exFAT have no inodes: the kernel numbers a folder anew each time
// it reads it from the card after dropping it from its cache, so there a
// changed number does not mean another folder.
bool numbersFoldersForGood(int fd)
{
    constexpr long msdosMagic = 0x4d44;
    constexpr long exfatMagic = 0x2011BAB0;
    struct statfs fs;
    return ::fstatfs(fd, &fs) != 0 || (long(fs.f_type) != msdosMagic && long(fs.f_type) != exfatMagic);
}

} // namespace

FolderSet::FolderSet(std::shared_ptr<const Folder> topFolder) : top(std::move(topFolder))
{
    struct stat st;
    if (top && top->isOpen() && ::fstat(top->descriptor(), &st) == 0) {
        topDevice = st.st_dev;
        topInode = st.st_ino;
        stableInodes = numbersFoldersForGood(top->descriptor());
    }
}

// Part by part, so that no part of the path is a link.
std::shared_ptr<const Folder> FolderSet::reach(const QByteArray &path) const
{
    if (!top || !top->isOpen()) {
        errno = EBADF;
        return nullptr;
    }
    std::shared_ptr<const Folder> folder;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty())
            continue;
        auto next = std::make_shared<const Folder>(folder ? folder->descriptor()
                                                          : top->descriptor(),
                                                   part, O_NOFOLLOW);
        if (!next->isOpen()) {
            errno = next->openError();
            return nullptr;
        }
        folder = std::move(next);
    }
    if (!folder)
        errno = ENOENT;
    return folder;
}

int FolderSet::add(const QByteArray &path)
{
    const std::shared_ptr<const Folder> folder = reach(path);
    struct stat st;
    if (!folder || ::fstat(folder->descriptor(), &st) != 0)
        return -1;
    // A card's folder that leads to another file system (a mount point
    // below it) would let "delete all" reach files that are not the card's.
    if (st.st_dev != topDevice) {
        errno = EXDEV;
        return -1;
    }
    QMutexLocker locked(&lock);
    // Whoever added it reads it next.
    members.append({path, st.st_dev, st.st_ino, folder});
    keep(folder);
    return int(members.size() - 1);
}

std::shared_ptr<const Folder> FolderSet::open(int index) const
{
    if (index < 0)
        return top;
    QMutexLocker locked(&lock);
    if (index >= members.size()) {
        errno = ENOENT;
        return nullptr;
    }
    Member &member = members[index];
    if (std::shared_ptr<const Folder> folder = member.opened.lock())
        return folder;
    std::shared_ptr<const Folder> folder = reach(member.path);
    struct stat st;
    if (!folder)
        return nullptr;
    if (::fstat(folder->descriptor(), &st) != 0 || st.st_dev != member.device ||
        (stableInodes && st.st_ino != member.inode)) {
        errno = ENOENT;
        return nullptr;
    }
    member.opened = folder;
    keep(folder);
    return folder;
}

void FolderSet::keep(const std::shared_ptr<const Folder> &folder) const
{
    recent.push_back(folder);
    if (recent.size() > size_t(keptOpen))
        recent.pop_front();
}

bool FolderSet::sameFolder(int index, const FolderSet &other, int otherIndex) const
{
    const auto identity = [](const FolderSet &set, int i) {
        if (i < 0)
            return std::make_pair(set.topDevice, set.topInode);
        QMutexLocker locked(&set.lock);
        return i < set.members.size()
                   ? std::make_pair(set.members.at(i).device, set.members.at(i).inode)
                   : std::make_pair(dev_t(0), ino_t(0));
    };
    const auto mine = identity(*this, index);
    return mine.second != 0 && mine == identity(other, otherIndex);
}

bool FolderSet::holds(int index) const
{
    if (index < 0)
        return top && top->isOpen();
    QMutexLocker locked(&lock);
    return index < members.size();
}

QByteArray FolderSet::path(int index) const
{
    QMutexLocker locked(&lock);
    return index >= 0 && index < members.size() ? members.at(index).path : QByteArray();
}
