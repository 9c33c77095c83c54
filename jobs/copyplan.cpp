#include "copyplan.h"

#include <sys/stat.h>

#include "filecopy.h"
#include "folder.h"
#include "importrecord.h"

bool CopyPlan::make(const QList<FolderEntry> &entries, const Folder &destination,
                    const QByteArray &volume)
{
    items.clear();
    collisionCount = 0;
    QList<QByteArray> wanted;
    for (const FolderEntry &entry : entries)
        wanted += entry.files();
    if (!index.read(destination, wanted))
        return false;
    FileCopy compare;
    ImportRecord record(destination);
    record.read();
    for (const FolderEntry &entry : entries) {
        PictureCopy::Transfer transfer{entry, {}, {}};
        bool collides = false;
        const std::shared_ptr<const Folder> folder = entry.folder();
        for (const QByteArray &name : entry.files()) {
            // A copy proven earlier, under its name or a numbered one the
            // user kept it by, is there as long as it keeps its size.
            ImportRecord::CardFile card;
            if (folder &&
                ImportRecord::CardFile::look(*folder, entry.folderPath(), name, volume, &card) &&
                record.mark(card) == ImportRecord::Proven)
                continue;
            struct stat st;
            const bool known = folder && folder->status(name, &st);
            if (index.taken(name)) {
                // Name, size and time say too little (two cameras, one
                // second apart): only the same bytes are the same picture,
                // and that compare proves the copy. A name taken earlier in
                // this command has no file yet and collides.
                FileCopy::Proof proof;
                if (known && compare.sameBytes(*folder, name, destination, name, &proof)) {
                    record.append({proof, volume, entry.folderPath(), name, name});
                    continue;
                }
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
