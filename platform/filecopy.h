#ifndef FILECOPY_H
#define FILECOPY_H

#include <QByteArray>
#include <QString>

#include <functional>

#include <cstddef>
#include <sys/types.h>

class Folder;

// Copies one file so that the destination is either the complete copy or
// exactly what it was before: the bytes go into a ReplacementFile beside
// the destination, are flushed to disk, and only then renamed over it. A
// replaced file keeps its permission bits and, where the process may, its
// owner; a symbolic link stays a link and the file it points to gets the
// bytes. The copy keeps the source's times. A source that changes while it
// is read is never reported copied. A failure keeps errno. The kernel
// copies where it can; otherwise the bytes go block by block through the
// caller's buffer.
class FileCopy
{
public:
    enum Status {
        Copied,
        SourceUnreadable,  // the source cannot be opened
        SameFile,          // source and destination are one file (same device and inode)
        NotCreated,        // no temporary file in the destination folder
        ReadFailed,
        WriteFailed,       // includes a full disk and a failed flush to disk
        RenameFailed,
        SourceChanged,     // the source's size or time changed while it was read
        Unsupported,       // internal: the kernel cannot copy these two files itself
    };

    // Uses the caller's buffer; at most blockSize bytes of it per block.
    FileCopy(char *buffer, std::size_t blockSize);

    Status copy(const QString &source, const QString &destination);
    // The same by file names as the file system holds them.
    Status copy(const Folder &sourceFolder, const QByteArray &sourceName,
                const Folder &destinationFolder, const QByteArray &destinationName);

    // Off: always a named temporary file, as on file systems that have no
    // unnamed ones (vfat).
    void setUnnamedFiles(bool allowed) { unnamedFiles = allowed; }
    // Called after every chunk with the bytes copied so far.
    std::function<void(qint64 copied)> onProgress;

    // The system's error number and text of the last failure (0 / "" when
    // the last copy succeeded or failed without a system error).
    int error() const { return lastErrno; }
    QString errorText() const;

    static bool isSameFile(const QString &a, const QString &b);

private:
    Status finish(Status status, int err);
    Status copyInto(int in, const Folder &folder, const QByteArray &name);
    Status transfer(int in, int out, int *err);
    Status kernelTransfer(int in, int out, int *err, ssize_t (*move)(int from, int to));
    Status blockTransfer(int in, int out, int *err);
    void progressed(qint64 bytes);

    char *buffer;
    std::size_t blockSize;
    int lastErrno = 0;
    qint64 copied = 0;
    bool unnamedFiles = true;
};

#endif
