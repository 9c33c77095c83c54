#ifndef REGULARFILE_H
#define REGULARFILE_H

#include <QByteArray>
#include <QFile>
#include <QString>

// A file opened for reading only when it is a plain file. A FIFO, device or
// socket under a picture's name would block the reader or never end; it is
// treated as missing. Opening never waits for a writer.
class RegularFile : public QFile
{
public:
    // Open (isOpen()) only when `path` names a regular file we may read;
    // a link in the path is followed, as the path's owner chose it.
    explicit RegularFile(const QString &path);
    // The entry `name` (its bytes, as the folder holds them) of the open
    // folder `dirFd`. A link under that name is not followed: it is missing,
    // as is a name with a '/' in it.
    RegularFile(int dirFd, const QByteArray &name);

private:
    void openAt(int dirFd, const QByteArray &name, bool followLinks);
};

#endif
