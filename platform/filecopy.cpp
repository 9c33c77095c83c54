#include "platform/filecopy.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::size_t streamBufferSize = 1 << 20;
const std::size_t kernelChunk = 1 << 30;


QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// New files get the mode the user's umask allows, as with any other
// program, not the private mode of a temporary file.
mode_t defaultFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

FileCopy::FileCopy(char *copyBuffer, std::size_t size)
    : buffer(copyBuffer), blockSize(size)
{
}

FileCopy::Status FileCopy::fail(Status status, int err)
{
    lastErrno = err;
    return status;
}

QString FileCopy::errorText() const
{
    return lastErrno ? QString::fromLocal8Bit(strerror(lastErrno)) : QString();
}

bool FileCopy::isSameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return stat(native(a).constData(), &sa) == 0 && stat(native(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

FileCopy::Status FileCopy::copy(const QString &source, const QString &destination)
{
    lastErrno = 0;
    if (isSameFile(source, destination))
        return fail(SameFile, 0);

    const int in = open(native(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(SourceUnreadable, errno);

    const QFileInfo target(destination);
    QByteArray tempName = native(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    const int out = mkstemp(tempName.data());
    if (out < 0) {
        const int err = errno;
        close(in);
        return fail(NotCreated, err);
    }

    int err = 0;
    Status status = transfer(in, out, &err);
    close(in);
    if (status == Copied && (fchmod(out, defaultFileMode()) != 0 || fsync(out) != 0)) {
        status = WriteFailed;
        err = errno;
    }
    if (close(out) != 0 && status == Copied) {
        status = WriteFailed;
        err = errno;
    }
    if (status == Copied && rename(tempName.constData(), native(destination).constData()) != 0) {
        status = RenameFailed;
        err = errno;
    }
    if (status != Copied)
        unlink(tempName.constData());
    return fail(status, err);
}

FileCopy::Status FileCopy::transfer(int in, int out, int *err)
{
    // Where the kernel can move the bytes between the two files itself, they
    // never pass through this process: as fast as the system's own cp.
    // copy_file_range() stays within one kind of file system, sendfile()
    // crosses them (card to internal storage); old kernels have neither.
    Status status = kernelTransfer(in, out, err, [](int from, int to) {
        return copy_file_range(from, nullptr, to, nullptr, kernelChunk, 0);
    });
    if (status == Unsupported)
        status = kernelTransfer(in, out, err, [](int from, int to) {
            return sendfile(to, from, nullptr, kernelChunk);
        });
    if (status == Unsupported)
        status = blockTransfer(in, out, err);
    return status;
}

FileCopy::Status FileCopy::kernelTransfer(int in, int out, int *err,
                                          ssize_t (*move)(int from, int to))
{
    for (bool first = true;; first = false) {
        const ssize_t moved = move(in, out);
        if (moved == 0)
            return Copied;
        if (moved > 0)
            continue;
        if (first && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                      errno == EOPNOTSUPP))
            return Unsupported;
        *err = errno;
        const bool writeSide = errno == ENOSPC || errno == EDQUOT || errno == EFBIG ||
                               errno == EROFS || errno == EIO;
        return writeSide ? WriteFailed : ReadFailed;
    }
}

FileCopy::Status FileCopy::blockTransfer(int in, int out, int *err)
{
    FILE *from = fdopen(dup(in), "rb");
    FILE *to = fdopen(dup(out), "wb");
    if (!from || !to) {
        *err = errno;
        if (from)
            fclose(from);
        if (to)
            fclose(to);
        return WriteFailed;
    }
    // The blocks stay small, but the system is asked for large chunks:
    // thousands of 4 KiB read and write calls would halve the throughput.
    setvbuf(from, nullptr, _IOFBF, streamBufferSize);
    setvbuf(to, nullptr, _IOFBF, streamBufferSize);

    Status status = Copied;
    memset(buffer, 0, blockSize);
    for (;;) {
        const std::size_t got = fread(buffer, 1, blockSize, from);
        if (got < blockSize && ferror(from)) {
            status = ReadFailed;
            *err = errno;
            break;
        }
        if (got > 0 && fwrite(buffer, 1, got, to) != got) {
            status = WriteFailed;
            *err = errno;
            break;
        }
        if (got < blockSize)
            break;
    }
    fclose(from);
    if (fflush(to) != 0 && status == Copied) {
        status = WriteFailed;
        *err = errno;
    }
    fclose(to);
    return status;
}
