#include "jobs/copyplan.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder.h"

namespace {

// A name the destination gives a file with the very bytes of the source's.
bool sameBytesAt(const FolderEntry &entry, const QByteArray &name, const Folder &destination)
{
    const int a = entry.openRegular();
    const int b = destination.openRegular(name);
    const bool same = a >= 0 && b >= 0 && CopyPlan::sameBytes(a, b);
    if (a >= 0)
        ::close(a);
    if (b >= 0)
        ::close(b);
    return same;
}

} // namespace

bool CopyPlan::sameBytes(int a, int b)
{
    struct stat sa, sb;
    if (fstat(a, &sa) != 0 || fstat(b, &sb) != 0 || sa.st_size != sb.st_size)
        return false;
    char bufferA[65536], bufferB[65536];
    for (;;) {
        const ssize_t got = ::read(a, bufferA, sizeof bufferA);
        if (got < 0)
            return false;
        ssize_t have = 0;
        while (have < got) {
            const ssize_t more = ::read(b, bufferB + have, size_t(got - have));
            if (more <= 0)
                return false;
            have += more;
        }
        if (got == 0)
            return ::read(b, bufferB, 1) == 0;
        if (memcmp(bufferA, bufferB, size_t(got)) != 0)
            return false;
    }
}

bool CopyPlan::make(const QList<FolderEntry> &entries, const Folder &destination)
{
    items.clear();
    collisionCount = 0;
    QList<QByteArray> wanted;
    for (const FolderEntry &entry : entries)
        wanted += entry.files();
    if (!index.read(destination, wanted))
        return false;
    for (const FolderEntry &entry : entries) {
        PictureCopy::Transfer transfer{entry, {}, {}};
        bool collides = false;
        const std::shared_ptr<const Folder> folder = entry.folder();
        for (const QByteArray &name : entry.files()) {
            struct stat st;
            const bool known = folder && folder->status(name, &st);
            if (known && index.holdsSame(name, st))
                continue;
            if (index.taken(name)) {
                FolderEntry file = entry;
                file.name = name;
                if (known && sameBytesAt(file, name, destination))
                    continue;
                collides = true;
                continue;
            }
            transfer.from.append(name);
            transfer.to.append(name);
            if (known)
                index.take(name, st);
        }
        if (collides) {
            items.append({{entry, {}, {}}, true});
            ++collisionCount;
        } else if (!transfer.from.isEmpty()) {
            items.append({transfer, false});
        }
    }
    return true;
}

QList<PictureCopy::Transfer> CopyPlan::transfers(bool keepBoth)
{
    QList<PictureCopy::Transfer> all;
    for (const Item &item : items) {
        if (!item.collides) {
            all.append(item.transfer);
            continue;
        }
        if (!keepBoth)
            continue;
        const FolderEntry &entry = item.transfer.entry;
        const QList<QByteArray> files = entry.files();
        const int number = index.freeNumber(files);
        PictureCopy::Transfer transfer{entry, files, {}};
        const std::shared_ptr<const Folder> folder = entry.folder();
        for (const QByteArray &name : files) {
            transfer.to.append(DestinationIndex::numbered(name, number));
            struct stat st = {};
            if (folder)
                folder->status(name, &st);
            index.take(transfer.to.last(), st);
        }
        all.append(transfer);
    }
    return all;
}
