#include "filecopy.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// Large enough that reading a card costs few calls, small enough that a
// progress callback, and a look at the cancel flag, come every few
// milliseconds.
const std::size_t chunkSize = 1 << 20;
// O_DIRECT wants buffers, offsets and lengths in whole blocks of the
// device; 4 KiB covers every device the program meets.
const std::size_t directAlignment = 4096;
const int maxLinks = 40;
const long msdosMagic = 0x4d44; // MSDOS_SUPER_MAGIC
const qint64 fatLargestFile = 0xffffffffLL;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

char *alignedBuffer(std::size_t size)
{
    void *memory = nullptr;
    return posix_memalign(&memory, directAlignment, size) == 0 ? static_cast<char *>(memory)
                                                               : nullptr;
}

std::size_t verifySize(std::size_t blockSize)
{
    const std::size_t blocks = (blockSize + directAlignment - 1) / directAlignment;
    return std::max(chunkSize, blocks * directAlignment);
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

bool writeAll(int fd, const char *bytes, std::size_t length)
{
    while (length > 0) {
        const ssize_t done = ::write(fd, bytes, length);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        length -= std::size_t(done);
    }
    return true;
}

// Up to `length` bytes, fewer only at the end of the file.
ssize_t readFull(int fd, char *bytes, std::size_t length, off_t offset)
{
    std::size_t have = 0;
    while (have < length) {
        const ssize_t got = offset < 0 ? ::read(fd, bytes + have, length - have)
                                       : ::pread(fd, bytes + have, length - have,
                                                 offset + off_t(have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        have += std::size_t(got);
    }
    return ssize_t(have);
}

bool nameRefused(int err)
{
    return err == EINVAL || err == EPERM || err == ENAMETOOLONG;
}

} // namespace

FileCopy::FileCopy()
    : FileCopy(nullptr, chunkSize)
{
}

FileCopy::FileCopy(char *copyBuffer, std::size_t size)
    : buffer(copyBuffer), blockSize(size),
      ownBuffer(copyBuffer ? nullptr : alignedBuffer(size), free),
      verifyBuffer(alignedBuffer(verifySize(size)), free)
{
    if (!buffer)
        buffer = ownBuffer.get();
}

FileCopy::~FileCopy() = default;

FileCopy::Status FileCopy::finish(Status status, int err)
{
    lastErrno = err;
    return status;
}

QString FileCopy::errorText() const
{
    return lastErrno ? QString::fromLocal8Bit(strerror(lastErrno)) : QString();
}

FileCopy::Reach FileCopy::reach(Status status, int err)
{
    switch (status) {
    case Copied:
    case Written:
    case SourceUnreadable:
    case SameFile:
    case ReadFailed:
    case SourceChanged:
    case TooLarge:
    case NameRefused:
        return Reach::File;
    case RenameFailed:
        // Another file took the name meanwhile.
        return err == EEXIST || nameRefused(err) ? Reach::File : Reach::Command;
    case NotCreated:
    case WriteFailed:
        return nameRefused(err) ? Reach::File : Reach::Command;
    case Cancelled:
    case Differs:
        break;
    }
    return Reach::Command;
}

bool FileCopy::isInsideTree(const Folder &folder, const Folder &tree)
{
    struct stat top, here;
    if (fstat(tree.descriptor(), &top) != 0)
        return false;
    int fd = fcntl(folder.descriptor(), F_DUPFD_CLOEXEC, 0);
    bool inside = false;
    while (fd >= 0 && fstat(fd, &here) == 0) {
        if (here.st_dev == top.st_dev && here.st_ino == top.st_ino) {
            inside = true;
            break;
        }
        const int parent = openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat up;
        const bool atRoot = parent < 0 || fstat(parent, &up) != 0 ||
                            (up.st_dev == here.st_dev && up.st_ino == here.st_ino);
        ::close(fd);
        fd = parent;
        if (atRoot)
            break;
    }
    if (fd >= 0)
        ::close(fd);
    return inside;
}

qint64 FileCopy::largestFile(const Folder &folder)
{
    struct statfs fs;
    if (fstatfs(folder.descriptor(), &fs) == 0 && long(fs.f_type) == msdosMagic)
        return fatLargestFile;
    return LLONG_MAX;
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
    Pending pending;
    const Status status =
        write(sourceFolder, sourceName, destinationFolder, destinationName, &pending);
    return status == Written ? prove(pending) : status;
}

FileCopy::Status FileCopy::write(const Folder &sourceFolder, const QByteArray &sourceName,
                                 const Folder &destinationFolder,
                                 const QByteArray &destinationName, Pending *pending)
{
    lastErrno = 0;
    // Only a regular file by its own name: a FIFO put in the picture's place
    // after listing would make a plain open wait for a writer forever.
    const int in = sourceFolder.openRegular(sourceName);
    if (in < 0)
        return finish(SourceUnreadable, errno);

    // A link in the destination stays: the file it points to is replaced.
    pending->folder = &destinationFolder;
    pending->name = destinationName;
    Status status = Written;
    if (replacing && !followLinks(&pending->folder, &pending->name, &pending->linkFolder))
        status = finish(NotCreated, errno);
    else
        status = writeInto(in, pending);
    close(in);
    return status;
}

FileCopy::Status FileCopy::writeInto(int in, Pending *pending)
{
    const Folder &folder = *pending->folder;
    struct stat before, old;
    if (fstat(in, &before) != 0)
        return finish(ReadFailed, errno);
    const bool exists = folder.status(pending->name, &old, false);
    if (exists && old.st_dev == before.st_dev && old.st_ino == before.st_ino)
        return finish(SameFile, 0);
    if (exists && !replacing)
        return finish(RenameFailed, EEXIST);
    // Known before a byte is written, not after 4 GB of them.
    if (qint64(before.st_size) > largestFile(folder))
        return finish(TooLarge, EFBIG);

    auto out = std::make_unique<ReplacementFile>(folder, unnamedFiles);
    if (out->descriptor() < 0)
        return finish(NotCreated, errno);

    int err = 0;
    copied = 0;
    expected = before.st_size;
    hash.reset();
    Status status = transfer(in, out->descriptor(), &err);
    struct stat after;
    if (status == Written && (fstat(in, &after) != 0 || !unchanged(before, after) ||
                              copied != before.st_size))
        status = SourceChanged;
    if (status != Written)
        return finish(status, err);
    if (stopWanted())
        return finish(Cancelled, 0);

    keepIdentity(out->descriptor(), before, exists ? &old : nullptr);
    if (fsync(out->descriptor()) != 0)
        return finish(WriteFailed, errno);
    step(Step::FileSynced);
    lastProof = {hash.digest(), copied, qint64(before.st_mtim.tv_sec)};
    pending->proof = lastProof;
    pending->file = std::move(out);
    pending->replaces = replacing;
    return finish(Written, 0);
}

FileCopy::Status FileCopy::prove(Pending &pending)
{
    lastErrno = 0;
    const int fd = pending.file->descriptor();
    if (hooks.beforeReadBack)
        hooks.beforeReadBack(fd);
    ContentHash::Digest digest;
    qint64 size = 0;
    int err = 0;
    const Status status = readBack(fd, &digest, &size, &err);
    if (status != Written) {
        pending.file.reset();
        return finish(status, err);
    }
    if (digest != pending.proof.hash || size != pending.proof.size) {
        pending.file.reset();
        return finish(Differs, 0);
    }
    const bool named = pending.replaces ? pending.file->commit(pending.name)
                                        : pending.file->commitNew(pending.name);
    if (!named) {
        err = errno;
        pending.file.reset();
        return finish(nameRefused(err) ? NameRefused : RenameFailed, err);
    }
    step(Step::Renamed);
    if (fsync(pending.folder->descriptor()) != 0)
        return finish(WriteFailed, errno);
    step(Step::FolderSynced);
    lastProof = pending.proof;
    return finish(Copied, 0);
}

// From the device, not from the pages just written: O_DIRECT where the file
// system takes it, else the file's cached pages dropped first (they are
// clean after the fsync, so the kernel lets them go). A drive's own cache
// stays out of reach either way.
FileCopy::Status FileCopy::readBack(int fd, ContentHash::Digest *digest, qint64 *size, int *err)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    int direct = ::open(self.constData(), O_RDONLY | O_DIRECT | O_CLOEXEC);
    const std::size_t length = verifySize(blockSize);
    ContentHash check;
    for (off_t offset = 0;;) {
        if (direct < 0 && offset == 0)
            (void)posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        const ssize_t got = readFull(direct >= 0 ? direct : fd, verifyBuffer.get(), length, offset);
        if (got < 0 && direct >= 0 && offset == 0 && errno == EINVAL) {
            // The file system opened it direct but will not read it so.
            ::close(direct);
            direct = -1;
            continue;
        }
        if (got < 0) {
            *err = errno;
            if (direct >= 0)
                ::close(direct);
            return WriteFailed;
        }
        check.add(verifyBuffer.get(), std::size_t(got));
        offset += got;
        if (std::size_t(got) < length) {
            *size = offset;
            break;
        }
    }
    if (direct >= 0)
        ::close(direct);
    *digest = check.digest();
    return Written;
}

bool FileCopy::sameBytes(const Folder &aFolder, const QByteArray &aName, const Folder &bFolder,
                         const QByteArray &bName, Proof *proof)
{
    const int a = aFolder.openRegular(aName);
    const int b = bFolder.openRegular(bName);
    struct stat sa, sb;
    bool same = a >= 0 && b >= 0 && fstat(a, &sa) == 0 && fstat(b, &sb) == 0 &&
                sa.st_size == sb.st_size;
    ContentHash both;
    qint64 total = 0;
    while (same) {
        if (cancelFlag && cancelFlag->load()) {
            same = false;
            break;
        }
        const ssize_t got = readFull(a, buffer, blockSize, -1);
        same = got >= 0 && readFull(b, verifyBuffer.get(), blockSize, -1) == got &&
               memcmp(buffer, verifyBuffer.get(), std::size_t(got)) == 0;
        if (!same || got == 0)
            break;
        both.add(buffer, std::size_t(got));
        total += got;
    }
    if (a >= 0)
        ::close(a);
    if (b >= 0)
        ::close(b);
    if (same)
        *proof = {both.digest(), total, qint64(sa.st_mtim.tv_sec)};
    return same;
}

void FileCopy::step(Step done) const
{
    if (hooks.stepDone)
        hooks.stepDone(done);
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

// Through this process's buffer, not the kernel's own copy: every byte is
// hashed on its way, so the source is read once.
FileCopy::Status FileCopy::transfer(int in, int out, int *err)
{
    for (;;) {
        if (stopWanted())
            return Cancelled;
        const ssize_t got = readFull(in, buffer, blockSize, -1);
        if (got < 0) {
            *err = errno;
            return ReadFailed;
        }
        if (got == 0)
            return Written;
        hash.add(buffer, std::size_t(got));
        if (!writeAll(out, buffer, std::size_t(got))) {
            *err = errno;
            return WriteFailed;
        }
        progressed(got);
        if (std::size_t(got) < blockSize)
            return Written;
    }
}
