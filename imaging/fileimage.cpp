#include "fileimage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Reads go by blocks: a few pages at a time, as the card's own reads go.
const qint64 blockBytes = 64 * 1024;
// The deadline and the cancel flag are looked at between chunks.
const qint64 chunkBytes = 1024 * 1024;

FileImage::ReadAt readAtNow = &pread;

} // namespace

void FileImage::setReadAt(ReadAt readAt)
{
    readAtNow = readAt ? readAt : &pread;
}

FileImage::FileImage(int fd, qint64 maxFileBytes, qint64 maxReadBytes, int maxMilliseconds,
                     const std::atomic<bool> *cancelled)
    : fd(fd), maxRead(maxReadBytes), cancelled(cancelled),
      deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMilliseconds))
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        info.st_size > maxFileBytes)
        return;
    // Anonymous memory: pages never written cost nothing, and nothing of
    // the card is ever mapped.
    void *mapped = mmap(nullptr, size_t(info.st_size), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED)
        return;
    data = static_cast<uchar *>(mapped);
    // The blocks read are the ones asked for: the kernel's read-ahead
    // (megabytes on some disks) would fetch sensor data nobody looks at.
    posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    length = info.st_size;
    unreadBlocks = (length + blockBytes - 1) / blockBytes;
    blockRead.assign(size_t(unreadBlocks), false);
}

FileImage::~FileImage()
{
    if (data)
        munmap(data, size_t(length));
}

bool FileImage::stopped() const
{
    return (cancelled && cancelled->load(std::memory_order_relaxed)) ||
           std::chrono::steady_clock::now() > deadline;
}

bool FileImage::read(qint64 offset, qint64 count)
{
    if (!isValid())
        return false;
    if (offset < 0 || count <= 0 || offset >= length)
        return true;
    const qint64 end = std::min(length, offset + std::min(count, length - offset));
    qint64 block = offset / blockBytes;
    const qint64 lastBlock = (end - 1) / blockBytes;
    while (block <= lastBlock) {
        if (blockRead[size_t(block)]) {
            ++block;
            continue;
        }
        qint64 runEnd = block;
        while (runEnd <= lastBlock && !blockRead[size_t(runEnd)])
            ++runEnd;
        if (!readBlocks(block, runEnd)) {
            broken = true;
            return false;
        }
        block = runEnd;
    }
    return true;
}

bool FileImage::readBlocks(qint64 first, qint64 end)
{
    const qint64 from = first * blockBytes;
    const qint64 to = std::min(length, end * blockBytes);
    if (to - from > maxRead - spent)
        return false;
    for (qint64 at = from; at < to;) {
        if (stopped())
            return false;
        const qint64 want = std::min(chunkBytes, to - at);
        const ssize_t got = readAtNow(fd, data + at, size_t(want), off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        // Shorter than it said when it was opened: cut or pulled.
        if (got <= 0)
            return false;
        at += got;
        spent += got;
    }
    for (qint64 block = first; block < end; ++block)
        blockRead[size_t(block)] = true;
    unreadBlocks -= end - first;
    return true;
}
