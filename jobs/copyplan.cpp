#include "copyplan.h"

#include <cstdlib>
#include <sys/stat.h>

#include "filecopy.h"
#include "folder.h"
#include "importrecord.h"

namespace {

// The number `name` was kept by as `kept` ("IMG_0001-2.JPG": 2); 0 when
// `kept` is no numbered name of it.
int keptNumber(const QByteArray &name, const QByteArray &kept)
{
    const int dash = kept.lastIndexOf('-');
    const int number = dash < 0 ? 0 : std::atoi(kept.constData() + dash + 1);
    return number > 0 && DestinationIndex::numbered(name, number) == kept ? number : 0;
}

} // namespace

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
        // A copy proven earlier, under its name or a numbered one the user
        // kept it by, is there as long as it keeps its size; the rest of
        // that picture joins it under the same number, or a pair's names
        // would part.
        QList<QByteArray> proven;
        int number = 0;
        for (const QByteArray &name : entry.files()) {
            ImportRecord::CardFile card;
            QByteArray keptAs;
            if (folder &&
                ImportRecord::CardFile::look(*folder, entry.folderPath(), name, volume, &card) &&
                record.mark(card, &keptAs) == ImportRecord::Proven) {
                proven.append(name);
                number = number ? number : keptNumber(name, keptAs);
            }
        }
        for (const QByteArray &name : entry.files()) {
            if (proven.contains(name))
                continue;
            struct stat st;
            const bool known = folder && folder->status(name, &st);
            const QByteArray target = number ? DestinationIndex::numbered(name, number) : name;
            if (index.taken(target)) {
                // Name, size and time say too little (two cameras, one
                // second apart): only the same bytes are the same picture,
                // and that compare proves the copy. A name taken earlier in
                // this command has no file yet and collides.
                FileCopy::Proof proof;
                if (known && compare.sameBytes(*folder, name, destination, target, &proof)) {
                    record.append({proof, volume, entry.folderPath(), name, target});
                    continue;
                }
                collides = true;
                continue;
            }
            transfer.from.append(name);
            transfer.to.append(target);
            if (known)
                index.take(target, st);
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
