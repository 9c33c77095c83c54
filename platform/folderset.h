#ifndef FOLDERSET_H
#define FOLDERSET_H

#include <QByteArray>
#include <QList>
#include <QMutex>

#include <deque>
#include <memory>

#include <sys/types.h>

#include "folder.h"

// The folders of one listing: an open top folder and folders found below or
// beside it, which are opened only while something uses them (and the last
// few kept open), so that a card of thousands of camera folders holds a
// handful of descriptors, not one for each. A folder opened again is
// reached without following a link at any step and must lie on the same
// device; where the file system keeps its folder numbers (not FAT), it
// must be the very folder that was listed: one renamed or replaced
// meanwhile is gone.
// Safe to use from several threads.
class FolderSet
{
public:
    explicit FolderSet(std::shared_ptr<const Folder> top);

    // Adds the folder at `path` from the top one (parts separated by '/',
    // ".." for its parent), as it is now, and returns its index; -1 when
    // it cannot be opened, is not on the top folder's device, or a part of
    // the path is a link (errno set).
    int add(const QByteArray &path);

    // The folder `index`, or the top one for -1; it stays open for as long
    // as the returned pointer lives. Null with errno set when it cannot be
    // opened or is no longer the folder that was listed (ENOENT).
    std::shared_ptr<const Folder> open(int index) const;
    // Whether `index` names a folder of the set (the top one: when open).
    bool holds(int index) const;
    // Whether `index` here and `otherIndex` in `other` are the same folder,
    // as listed; neither is opened.
    bool sameFolder(int index, const FolderSet &other, int otherIndex) const;
    QByteArray path(int index) const;

    // How many folders besides the top one stay open after their last use.
    static constexpr int keptOpen = 8;

private:
    struct Member
    {
        QByteArray path;
        dev_t device = 0;
        ino_t inode = 0;
        std::weak_ptr<const Folder> opened;
    };
    std::shared_ptr<const Folder> reach(const QByteArray &path) const;
    // Called with the lock held.
    void keep(const std::shared_ptr<const Folder> &folder) const;

    const std::shared_ptr<const Folder> top;
    dev_t topDevice = 0;
    ino_t topInode = 0;
    bool stableInodes = true;
    mutable QMutex lock;
    mutable QList<Member> members;
    mutable std::deque<std::shared_ptr<const Folder>> recent;
};

#endif
