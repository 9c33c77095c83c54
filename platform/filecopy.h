#ifndef FILECOPY_H
#define FILECOPY_H

#include <QString>

#include <cstddef>
#include <sys/types.h>

// Copies one file so that the destination is either the complete copy or
// exactly what it was before: the bytes go into a hidden temporary file
// beside the destination, are flushed to disk, and only then renamed over
// it. A failure removes the temporary file and keeps errno. The kernel
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
        Unsupported,       // internal: the kernel cannot copy these two files itself
    };

    // Uses the caller's buffer; at most blockSize bytes of it per block.
    FileCopy(char *buffer, std::size_t blockSize);

    Status copy(const QString &source, const QString &destination);

    // The system's error number and text of the last failure (0 / "" when
    // the last copy succeeded or failed without a system error).
    int error() const { return lastErrno; }
    QString errorText() const;

    static bool isSameFile(const QString &a, const QString &b);

private:
    Status fail(Status status, int err);
    Status transfer(int in, int out, int *err);
    Status kernelTransfer(int in, int out, int *err, ssize_t (*move)(int from, int to));
    Status blockTransfer(int in, int out, int *err);

    char *buffer;
    std::size_t blockSize;
    int lastErrno = 0;
};

#endif
