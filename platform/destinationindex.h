#ifndef DESTINATIONINDEX_H
#define DESTINATIONINDEX_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <sys/types.h>

class Folder;
struct stat;

// What a destination folder holds, read once per command: every name, and
// the size and time of the files a command asks about (a name, or one of
// its numbered names "IMG_0001-1.JPG" that copies kept beside a different
// picture get). Then every question is a look-up. On vfat names are told
// apart without regard to case, as that file system does.
class DestinationIndex
{
public:
    // Reads `folder`; `wanted` are the names asked about later. False when
    // the folder cannot be read (the index is then empty).
    bool read(const Folder &folder, const QList<QByteArray> &wanted);

    // Whether a file of that name is there (or was taken()).
    bool taken(const QByteArray &name) const;
    // Whether the file of exactly that name (in the folder's sense) may be
    // the same picture as `source`: same size, times within FAT's 2 s. Two
    // cameras write different pictures of one name, size and time, so
    // before a copy is skipped for it, FileCopy::sameBytes (or the
    // ImportRecord's line) must say so.
    bool sameAt(const QByteArray &name, const struct stat &source) const;
    // The same under the name or one of its numbered names.
    bool holdsSame(const QByteArray &name, const struct stat &source) const;
    // Whether a file of the name, or a numbered one, is there at all: the
    // source needs no look before.
    bool holdsAny(const QByteArray &name) const
    {
        return found.contains(key(name)) || numberedNames.contains(key(name));
    }
    // Marks the name as used by a file to come, of `source`'s size and time,
    // so that later files of the same command see it.
    void take(const QByteArray &name, const struct stat &source);
    // The smallest number n >= 1 whose numbered names of all `names` are
    // free.
    int freeNumber(const QList<QByteArray> &names) const;

    // "IMG_0001.JPG", 2 gives "IMG_0001-2.JPG".
    static QByteArray numbered(const QByteArray &name, int number);
    static bool samePicture(qint64 size, qint64 seconds, const struct stat &source);

private:
    struct Found
    {
        qint64 size;
        qint64 seconds;
    };
    QByteArray key(const QByteArray &name) const;
    // The name a numbered name was given for ("a-3.jpg" gives "a.jpg"); empty
    // for a name that is not numbered.
    static QByteArray unnumbered(const QByteArray &name);

    bool caseBlind = false;
    QSet<QByteArray> names;
    QHash<QByteArray, Found> found;
    // The numbered names that are there, by the name they were given for.
    QHash<QByteArray, QList<QByteArray>> numberedNames;
};

#endif
