#ifndef COPYPLAN_H
#define COPYPLAN_H

#include <QList>

#include "jobs/picturecopy.h"
#include "platform/destinationindex.h"

// What a copy of many pictures does with each, decided before a byte moves
// from one read of the destination folder. A picture whose every file is
// already there (the same picture under its name or a numbered one) is
// skipped and counts as copied; one whose name the destination gives a
// different picture collides, and the user decides for all of them at once:
// kept beside under the next free numbered name, or skipped. Nothing is
// ever overwritten. Pictures of the same name within the command are
// treated as if the earlier ones were already there.
class CopyPlan
{
public:
    // False when the destination cannot be read.
    bool make(const QList<FolderEntry> &entries, const Folder &destination);
    int collisions() const { return collisionCount; }
    // The copies to make: the new pictures, and the colliding ones under
    // numbered names when `keepBoth`.
    QList<PictureCopy::Transfer> transfers(bool keepBoth);

    // Whether the two files hold the same bytes.
    static bool sameBytes(int a, int b);

private:
    DestinationIndex index;
    // In list order; a colliding one has no files to copy yet.
    struct Item
    {
        PictureCopy::Transfer transfer;
        bool collides;
    };
    QList<Item> items;
    int collisionCount = 0;
};

#endif
