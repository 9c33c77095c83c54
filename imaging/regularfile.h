#ifndef REGULARFILE_H
#define REGULARFILE_H

#include <QFile>
#include <QString>

// A file opened for reading only when it is a plain file. A FIFO, device or
// socket under a picture's name would block the reader or never end; it is
// treated as missing. Opening never waits for a writer.
class RegularFile : public QFile
{
public:
    // Open (isOpen()) only when `path` names a regular file we may read.
    explicit RegularFile(const QString &path);
};

#endif
