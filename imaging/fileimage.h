#ifndef FILEIMAGE_H
#define FILEIMAGE_H

#include <QtGlobal>

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <vector>

// A card file copied into memory piece by piece with read(2), never mapped:
// a card pulled or a file cut short while it is read is a failed read, not
// a signal that ends the program. What is not read yet holds zeros and
// takes no memory. All reads together stay within a byte limit and a
// deadline, and a raised cancel flag stops them; a read that fails for any
// of these reasons leaves the image broken for good.
class FileImage
{
public:
    // Where the bytes come from; pread(2) unless a test puts its own here.
    using ReadAt = ssize_t (*)(int fd, void *buffer, size_t count, off_t offset);
    static void setReadAt(ReadAt readAt);

    // The regular file open at `fd` (its offset is left alone), when it is
    // not empty and at most `maxFileBytes` long.
    FileImage(int fd, qint64 maxFileBytes, qint64 maxReadBytes, int maxMilliseconds,
              const std::atomic<bool> *cancelled);
    ~FileImage();
    FileImage(const FileImage &) = delete;
    FileImage &operator=(const FileImage &) = delete;

    bool isValid() const { return data && !broken; }
    const uchar *bytes() const { return data; }
    qint64 size() const { return length; }
    bool isComplete() const { return unreadBlocks == 0; }
    // What may still be read.
    qint64 bytesLeft() const { return maxRead - spent; }

    // Makes [offset, offset + count) (cut to the file's end) hold the
    // file's bytes. False when the image is or becomes broken.
    bool read(qint64 offset, qint64 count);
    bool readAll() { return read(0, length); }

private:
    bool readBlocks(qint64 first, qint64 end);
    bool stopped() const;

    int fd;
    uchar *data = nullptr;
    qint64 length = 0;
    qint64 maxRead;
    qint64 spent = 0;
    std::vector<bool> blockRead;
    qint64 unreadBlocks = 0;
    bool broken = false;
    const std::atomic<bool> *cancelled;
    std::chrono::steady_clock::time_point deadline;
};

#endif
