#ifndef COPYPLAN_H
#define COPYPLAN_H

#include <QList>

#include "picturecopy.h"
#include "destinationindex.h"

// What a copy of many pictures does with each, decided before a byte moves
// from one read of the destination folder. A picture whose every file is
// already there (the same bytes under its name, or a copy the
// destination's ImportRecord proves, under whatever name it was kept) is
// skipped and counts as copied; one whose name the destination gives a
// different picture collides, and the user decides for all of them at once:
// kept beside under the next free numbered name, or skipped. Nothing is
// ever overwritten. A picture counts as there only when the destination's
// file of its name holds its very bytes; that compare is written into the
// destination's ImportRecord. Pictures of the same name within the command
// collide with the earlier ones.
class CopyPlan
{
public:
    // False when the destination cannot be read. `volume` is the card's
    // identity for the record.
    bool make(const QList<FolderEntry> &entries, const Folder &destination,
              const QByteArray &volume);
    int collisions() const { return collisionCount; }
    // The copies to make: the new pictures, and the colliding ones under
    // numbered names when `keepBoth`.
    QList<PictureCopy::Transfer> transfers(bool keepBoth);

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
