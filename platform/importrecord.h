#ifndef IMPORTRECORD_H
#define IMPORTRECORD_H

#include <QByteArray>
#include <QByteArrayView>
#include <QMultiHash>
#include <QList>

#include <sys/types.h>

#include "filecopy.h"

class Folder;

// The destination folder's own account of the pictures proven into it:
// the hidden text file ".tessel-imports", which travels with the pictures
// when the folder is moved or copied. Its first line names the format and
// its version; then one line per proven picture, fields separated by tabs:
// the hash (XXH3-128, hex), the size, the card file's modification time
// (seconds since 1970), the card's identity, the card file's folder and
// name, and the name the copy has in the destination. Identity and names
// are percent-encoded, as names may hold any bytes. A damaged line, or one
// of another kind, is skipped; the rest still counts.
class ImportRecord
{
public:
    static const QByteArray fileName;

    // A copy's proof, and which card file it was made from under which
    // name.
    struct Line : FileCopy::Proof
    {
        QByteArray volume;  // empty when the card's identity was not known
        QByteArray cardFolder;
        QByteArray cardName;
        QByteArray destinationName;
    };
    // A card file as it is now.
    struct CardFile
    {
        QByteArray volume;
        QByteArray folder;
        QByteArray name;
        qint64 size = 0;
        qint64 time = 0;
        dev_t device = 0;
        ino_t inode = 0;
        // The file `name` of the open card folder `where`, which the card
        // calls `folderName`; false when it is no regular file there.
        static bool look(const Folder &where, const QByteArray &folderName,
                         const QByteArray &name, const QByteArray &volume, CardFile *file);
    };
    enum Mark {
        NotThere,
        ThereNotProven,  // a file of its name and size, copied by someone else
        Proven,
    };

    // The destination folder; it must outlive the record.
    explicit ImportRecord(const Folder &destination);

    // Reads the record anew. False when there is none, it is no regular
    // file (a link is never followed) or it cannot be read: then it holds
    // no lines.
    bool read();
    int lineCount() const { return int(lines.size()); }

    // Adds the line to the file, creating it when needed, and flushes it to
    // disk before it returns. False with errno set when it cannot be
    // written, or (EEXIST) when a file of that name is not a record.
    bool append(const Line &line);

    // The card file's standing in the destination: Proven when a line holds
    // it (same identity or none recorded, folder, name, size, and a time
    // equal or moved by whole quarter hours within a day, as a change of
    // time zone or summer time moves FAT's local times) and the copy is
    // still there with its size; `keptAs` then gets the copy's name.
    Mark mark(const CardFile &file, QByteArray *keptAs = nullptr) const;
    // The look just before a card file is deleted: read it anew, and it must
    // still be Proven.
    bool stillProven(const Folder &where, const QByteArray &folderName, const QByteArray &name,
                     const QByteArray &volume) const;

    static QByteArray encode(const Line &line);
    static bool decode(QByteArrayView text, Line *line);
    static bool sameTime(qint64 recorded, qint64 now);

private:
    void add(Line line);
    bool holdsCopy(const QByteArray &name, qint64 size, const CardFile &file) const;

    const Folder &destination;
    QList<Line> lines;
    QMultiHash<QByteArray, int> byCardName;
};

#endif
