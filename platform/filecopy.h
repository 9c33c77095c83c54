#ifndef FILECOPY_H
#define FILECOPY_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

#include <cstddef>
#include <sys/types.h>

class Folder;

// Copies one file so that the destination is either the complete copy or
// exactly what it was before: the bytes go into a ReplacementFile beside
// the destination, are flushed to disk, and only then renamed over it. A
// replaced file keeps its permission bits and, where the process may, its
// owner; a new one gets the source's read and write bits, less the
// umask; a symbolic link stays a link and the file it points to gets the
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
        Cancelled,         // the cancel flag was raised; nothing was left behind
        Unsupported,       // internal: the kernel cannot copy these two files itself
    };

    // Uses the caller's buffer; at most blockSize bytes of it per block.
    FileCopy(char *buffer, std::size_t blockSize);

    // One copy as a command of its own: it also removes the leftovers of
    // earlier copies in the destination folder.
    Status copy(const QString &source, const QString &destination);
    // The same by file names as the file system holds them; the caller
    // removes leftovers, once per command (ReplacementFile).
    Status copy(const Folder &sourceFolder, const QByteArray &sourceName,
                const Folder &destinationFolder, const QByteArray &destinationName);

    // Off: always a named temporary file, as on file systems that have no
    // unnamed ones (vfat).
    void setUnnamedFiles(bool allowed) { unnamedFiles = allowed; }
    // Off: a file of the destination's name, or a link there, is never
    // replaced, not even one that appears while the bytes are copied; the
    // copy then ends as RenameFailed with EEXIST and leaves nothing.
    void setReplacing(bool allowed) { replacing = allowed; }
    // Called after every chunk with the bytes copied so far (on the thread
    // that copies).
    std::function<void(qint64 copied)> onProgress;
    // Looked at between chunks (of at most 1 MiB, or one block); once it is
    // true the copy ends as Cancelled and the destination is untouched.
    void setCancelFlag(const std::atomic<bool> *flag) { cancelFlag = flag; }

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
    bool stopWanted() const;

    char *buffer;
    std::size_t blockSize;
    int lastErrno = 0;
    qint64 copied = 0;
    qint64 expected = 0;
    const std::atomic<bool> *cancelFlag = nullptr;
    bool unnamedFiles = true;
    bool replacing = true;
};

#endif
