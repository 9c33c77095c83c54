#include "platform/filecopy.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder.h"
#include "platform/replacementfile.h"

namespace {

const std::size_t streamBufferSize = 1 << 20;
// Small enough that a progress callback, and a look at the cancel flag,
// come every few milliseconds.
const std::size_t kernelChunk = 1 << 20;
const int maxLinks = 40;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Replaces folder and name by those of the file the link chain ends at (which
// may not exist yet). `owner` keeps any folder opened on the way.
bool followLinks(const Folder **folder, QByteArray *name, std::unique_ptr<Folder> *owner)
{
    for (int depth = 0; depth < maxLinks; ++depth) {
        struct stat st;
        if (!(*folder)->status(*name, &st, false) || !S_ISLNK(st.st_mode))
            return true;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = readlinkat((*folder)->descriptor(), name->constData(),
                                          target.data(), target.size());
        if (length < 0)
            return false;
        target.truncate(length);
        const int slash = target.lastIndexOf('/');
        if (slash >= 0) {
            auto next = std::make_unique<Folder>(**folder, slash == 0 ? "/" : target.left(slash));
            if (!next->isOpen()) {
                errno = next->openError();
                return false;
            }
            *owner = std::move(next);
            *folder = owner->get();
        }
        *name = target.mid(slash + 1);
    }
    errno = ELOOP;
    return false;
}

// A new file is never more open than its source (a private key stays
// private) and never executable (vfat shows every file as 0755), and the
// user's umask applies as with any other program.
mode_t newFileMode(const struct stat &source)
{
    return ReplacementFile::newFileMode(source.st_mode & 0666);
}

bool unchanged(const struct stat &before, const struct stat &after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// The replaced file's mode and owner, and the source's times, as cp -p
// keeps them. File systems without owners or modes (vfat) refuse some of
// it; the copy is no worse for that.
void keepIdentity(int out, const struct stat &source, const struct stat *replaced)
{
    if (replaced) {
        // Owner first: a change of owner clears set-id bits.
        if (fchown(out, replaced->st_uid, replaced->st_gid) != 0)
            (void)fchown(out, uid_t(-1), replaced->st_gid);
        (void)fchmod(out, replaced->st_mode & 07777);
    } else {
        (void)fchmod(out, newFileMode(source));
    }
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    (void)futimens(out, times);
}

} // namespace

FileCopy::FileCopy(char *copyBuffer, std::size_t size)
    : buffer(copyBuffer), blockSize(size)
{
}

FileCopy::Status FileCopy::finish(Status status, int err)
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

// One file is one command: its folder's leftovers are looked for here.
FileCopy::Status FileCopy::copy(const QString &source, const QString &destination)
{
    const QFileInfo from(source);
    const QFileInfo to(destination);
    const Folder sourceFolder(from.path());
    if (!sourceFolder.isOpen())
        return finish(SourceUnreadable, sourceFolder.openError());
    const Folder destinationFolder(to.path());
    if (!destinationFolder.isOpen())
        return finish(NotCreated, destinationFolder.openError());
    ReplacementFile::removeLeftovers(destinationFolder);
    return copy(sourceFolder, native(from.fileName()), destinationFolder,
                native(to.fileName()));
}

FileCopy::Status FileCopy::copy(const Folder &sourceFolder, const QByteArray &sourceName,
                                const Folder &destinationFolder,
                                const QByteArray &destinationName)
{
    lastErrno = 0;
    // Only a regular file by its own name: a FIFO put in the picture's place
    // after listing would make a plain open wait for a writer forever.
    const int in = sourceFolder.openRegular(sourceName);
    if (in < 0)
        return finish(SourceUnreadable, errno);

    // A link in the destination stays: the file it points to is replaced.
    std::unique_ptr<Folder> linkFolder;
    const Folder *folder = &destinationFolder;
    QByteArray name = destinationName;
    Status status = Copied;
    if (replacing && !followLinks(&folder, &name, &linkFolder))
        status = finish(NotCreated, errno);
    else
        status = copyInto(in, *folder, name);
    close(in);
    return status;
}

FileCopy::Status FileCopy::copyInto(int in, const Folder &folder, const QByteArray &name)
{
    struct stat before, old;
    if (fstat(in, &before) != 0)
        return finish(ReadFailed, errno);
    const bool exists = folder.status(name, &old, false);
    if (exists && old.st_dev == before.st_dev && old.st_ino == before.st_ino)
        return finish(SameFile, 0);
    if (exists && !replacing)
        return finish(RenameFailed, EEXIST);

    ReplacementFile out(folder, unnamedFiles);
    if (out.descriptor() < 0)
        return finish(NotCreated, errno);

    int err = 0;
    copied = 0;
    expected = before.st_size;
    Status status = transfer(in, out.descriptor(), &err);
    struct stat after;
    if (status == Copied && (fstat(in, &after) != 0 || !unchanged(before, after) ||
                             copied != before.st_size))
        status = SourceChanged;
    if (status != Copied)
        return finish(status, err);
    if (stopWanted())
        return finish(Cancelled, 0);

    keepIdentity(out.descriptor(), before, exists ? &old : nullptr);
    if (fsync(out.descriptor()) != 0)
        return finish(WriteFailed, errno);
    if (!(replacing ? out.commit(name) : out.commitNew(name)))
        return finish(RenameFailed, errno);
    return finish(Copied, 0);
}

// Asked between chunks, never before the first: a file of one chunk is
// copied whole, and a cancel stops a big one within a chunk.
bool FileCopy::stopWanted() const
{
    return cancelFlag && cancelFlag->load() && copied > 0 && copied < expected;
}

void FileCopy::progressed(qint64 bytes)
{
    copied += bytes;
    if (onProgress)
        onProgress(copied);
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
        if (stopWanted())
            return Cancelled;
        const ssize_t moved = move(in, out);
        if (moved == 0)
            return Copied;
        if (moved > 0) {
            progressed(moved);
            continue;
        }
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
        if (stopWanted()) {
            status = Cancelled;
            break;
        }
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
        progressed(qint64(got));
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
