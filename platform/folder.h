#ifndef FOLDER_H
#define FOLDER_H

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <sys/types.h>

class QFile;
struct stat;

// A directory held open by its descriptor. Every operation names a file by
// the bytes the file system holds, so a name that is not valid UTF-8 (cards
// written by other systems carry them) still reaches exactly that file, and
// a folder renamed meanwhile is still the folder the names were read from.
// Failures return false or -1 and leave errno set.
class Folder
{
public:
    // Whether the last component of a path may be a link to a folder.
    enum class Links { Followed, NotFollowed };

    explicit Folder(const QString &path);
    // A folder relative to `base` (or absolute).
    Folder(const Folder &base, const QByteArray &relativePath, Links links = Links::Followed);
    // A folder relative to the open folder `baseFd`, opened with `extraFlags`
    // besides (O_NOFOLLOW: a link as its last part is not followed).
    Folder(int baseFd, const QByteArray &relativePath, int extraFlags);
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    bool isOpen() const { return fd >= 0; }
    // errno of the failed open; 0 when open.
    int openError() const { return openErrno; }
    int descriptor() const { return fd; }

    // Every entry but "." and "..", in the order the file system gives them.
    // False when the folder cannot be read.
    bool entryNames(QList<QByteArray> *names) const;

    struct File
    {
        QByteArray name;
        qint64 size;
    };
    // The regular files (never links) whose shown name matches the
    // wildcard `pattern`, case ignored; hidden ones left out. Ordered by
    // shown name. False when the folder cannot be read.
    bool files(const QString &pattern, QList<File> *found) const;
    // The same for several patterns: a file matching any of them.
    bool files(const QStringList &patterns, QList<File> *found) const;
    // The same among `names`, entries of this folder read before.
    void files(const QList<QByteArray> &names, const QStringList &patterns,
               QList<File> *found) const;

    // The wildcard patterns of the extensions setting: one extension, or
    // several separated by commas or blanks ("jpg, cr2 hif" gives "*.jpg",
    // "*.cr2", "*.hif"). A setting without any gives "*." and the setting,
    // as a single extension always did.
    static QStringList extensionPatterns(const QString &fileExt);

    bool status(const QByteArray &name, struct stat *st, bool followLinks = true) const;
    // A descriptor of the entry (openat); -1 on failure.
    int open(const QByteArray &name, int flags, mode_t mode = 0) const;
    // The entry opened for reading when it is a regular file, by its own
    // name and never through a link; opening never waits (a FIFO under a
    // picture's name would). -1 with errno set otherwise (EINVAL for a
    // FIFO, device or socket, ELOOP for a link).
    int openRegular(const QByteArray &name) const { return openRegular(fd, name, false); }
    // The same relative to any open folder (AT_FDCWD: the working folder);
    // `followLinks` for a path whose links its owner chose.
    static int openRegular(int dirFd, const QByteArray &name, bool followLinks);
    // The folder was removed, or its file system went, since it was opened.
    bool isGone() const;
    // Opens the entry into `file`, which then owns the descriptor.
    bool openFile(QFile *file, const QByteArray &name, QIODevice::OpenMode mode) const;
    bool remove(const QByteArray &name) const;
    bool rename(const QByteArray &from, const Folder &toFolder, const QByteArray &to) const;

    // How a file name is shown: bytes that are not UTF-8 become U+FFFD.
    static QString displayName(const QByteArray &name);
    static bool isPlainPath(const QString &path);

private:
    int fd = -1;
    int openErrno = 0;
};

#endif
