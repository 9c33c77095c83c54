#ifndef COPIEDMARKS_H
#define COPIEDMARKS_H

#include <QIcon>
#include <QList>
#include <QString>

#include "folderentry.h"
#include "importrecord.h"

class PicturePane;
class QTreeWidget;
class QTreeWidgetItem;

// The marks of the source pane, from the destination's ImportRecord: a
// check mark when every file of a picture (a RAW beside its JPEG too) is
// proven there, a grey hollow mark when each is at least there under its
// name with its size but not proven (copied by another program). One read
// of the record, then look-ups.
class CopiedMarks
{
public:
    // For each entry, its standing in `destination`; `volume` is the
    // card's identity. All NotThere when the destination cannot be read.
    static QList<ImportRecord::Mark> find(const QList<FolderEntry> &entries,
                                          const Folder &destination, const QByteArray &volume);
    // Marks the pane's items in one pass; returns how many listed pictures
    // are not proven in the destination. A destination inside the source's
    // folders holds no copies: nothing is marked. `volume` as for find().
    static int show(const PicturePane &pane, const QString &destination,
                    const QByteArray &volume);
    // The marks on the list's items, in the order of its top-level items;
    // returns how many are not Proven.
    static int set(QTreeWidget &list, const QList<ImportRecord::Mark> &marks);
    // The mark set() gave the item.
    static ImportRecord::Mark of(const QTreeWidgetItem *item);
    static QIcon icon(ImportRecord::Mark mark);
};

#endif
