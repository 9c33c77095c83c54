#ifndef COPIEDMARKS_H
#define COPIEDMARKS_H

#include <QIcon>
#include <QList>
#include <QString>

#include "platform/folderentry.h"

class PicturePane;

// The check marks of the source pane: a picture is marked when its every
// file (a RAW beside its JPEG too) is in the destination folder under its
// name or a numbered name a kept copy got, with the same size and time.
// One read of the destination, then look-ups.
class CopiedMarks
{
public:
    // For each entry, whether it is in `destination`. All false when the
    // destination cannot be read.
    static QList<bool> find(const QList<FolderEntry> &entries, const Folder &destination);
    // Marks the pane's items; returns how many listed pictures are not in
    // the destination.
    static int show(const PicturePane &pane, const QString &destination);
    // A small check mark of our own.
    static QIcon icon();
};

#endif
