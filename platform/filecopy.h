#ifndef FILECOPY_H
#define FILECOPY_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

#include <cstddef>
#include <sys/types.h>

#include "contenthash.h"
#include "folder.h"
#include "replacementfile.h"

// Copies one file so that the destination is either a proven copy or
// exactly what it was before. The source is read once; its bytes are
// hashed (XXH3-128) on the way into a ReplacementFile beside the
// destination, which is flushed to disk, read back past the page cache and
// hashed again. Only equal hashes give it its name, and the folder is
// flushed after the rename, so a power cut cannot take the name away. A
// replaced file keeps its permission bits and, where the process may, its
// owner; a new one gets the source's read and write bits, less the umask; a
// symbolic link stays a link and the file it points to gets the bytes. The
// copy keeps the source's times. A source that changes while it is read is
// never reported copied. A failure keeps errno.
//
// The two halves can run apart: write() on one thread while prove() of the
// file before runs on another (CopyPipeline), each with its own FileCopy.
class FileCopy
{
public:
    enum Status {
        Copied,            // proven, named, and its folder flushed to disk
        Written,           // write() done: the copy waits for prove()
        SourceUnreadable,  // the source cannot be opened
        SameFile,          // source and destination are one file (same device and inode)
        NotCreated,        // no temporary file in the destination folder
        ReadFailed,
        WriteFailed,       // includes a full disk, a failed flush and a failed read-back
        RenameFailed,
        SourceChanged,     // the source's size or time changed while it was read
        Cancelled,         // the cancel flag was raised; nothing was left behind
        Differs,           // the copy read back is not what was read from the source
        TooLarge,          // more than the destination's file system holds in one file
        NameRefused,       // the destination's file system refuses the name
    };
    // What a failure ends: only this file's copy (the next may go on), or
    // the whole command (the destination is full, gone or read-only, or
    // copies come back wrong).
    enum class Reach { File, Command };
    static Reach reach(Status status, int err);

    enum class Step { FileSynced, Renamed, FolderSynced };
    // Seams for the tests; unset in the program.
    struct Hooks
    {
        // Given the temporary file's descriptor (read-write) after it was
        // flushed, before it is read back.
        std::function<void(int descriptor)> beforeReadBack;
        std::function<void(Step)> stepDone;
    };

    // What the proof rests on: the hash and size of the bytes read, and
    // the source's modification time while they were read (seconds). Each
    // line of an ImportRecord starts with one.
    struct Proof
    {
        ContentHash::Digest hash;
        qint64 size = 0;
        qint64 time = 0;
    };

    // A copy that write() left flushed but nameless; dropping it removes it.
    struct Pending
    {
        std::unique_ptr<Folder> linkFolder;  // where a followed link led
        const Folder *folder = nullptr;
        QByteArray name;
        std::unique_ptr<ReplacementFile> file;
        Proof proof;
        bool replaces = false;
    };

    // The source is read through a buffer of its own, 1 MiB at a time.
    FileCopy();
    // The source is read through the caller's buffer, at most blockSize
    // bytes of it per block.
    FileCopy(char *buffer, std::size_t blockSize);
    ~FileCopy();
    FileCopy(const FileCopy &) = delete;
    FileCopy &operator=(const FileCopy &) = delete;

    // One copy as a command of its own: it also removes the leftovers of
    // earlier copies in the destination folder.
    Status copy(const QString &source, const QString &destination);
    // The same by file names as the file system holds them; the caller
    // removes leftovers, once per command (ReplacementFile).
    Status copy(const Folder &sourceFolder, const QByteArray &sourceName,
                const Folder &destinationFolder, const QByteArray &destinationName);
    // The first half: Written with `pending` filled, or a failure (and
    // nothing left behind). The folders must outlive `pending`.
    Status write(const Folder &sourceFolder, const QByteArray &sourceName,
                 const Folder &destinationFolder, const QByteArray &destinationName,
                 Pending *pending);
    // The second half: Copied, or a failure that removed the copy (a file
    // of the name that was there before stays as it was).
    Status prove(Pending &pending);
    // The proof of the last Copied (or of write()'s Written).
    const Proof &proof() const { return lastProof; }

    // Whether the two files hold the same bytes; on true `proof` has their
    // hash, size and the first one's time. A cheaper look (name, size,
    // time) can only suggest it. False too once the cancel flag is raised.
    bool sameBytes(const Folder &aFolder, const QByteArray &aName, const Folder &bFolder,
                   const QByteArray &bName, Proof *proof);

    // Off: always a named temporary file, as on file systems that have no
    // unnamed ones (vfat).
    void setUnnamedFiles(bool allowed) { unnamedFiles = allowed; }
    // Off: a file of the destination's name, or a link there, is never
    // replaced, not even one that appears while the bytes are copied; the
    // copy then ends as RenameFailed with EEXIST and leaves nothing.
    void setReplacing(bool allowed) { replacing = allowed; }
    // Called after every chunk read from the source with the bytes read so
    // far (on the thread that copies).
    std::function<void(qint64 copied)> onProgress;
    // Looked at between chunks; once it is true the copy ends as Cancelled
    // and the destination is untouched.
    void setCancelFlag(const std::atomic<bool> *flag) { cancelFlag = flag; }
    void setHooks(const Hooks &seams) { hooks = seams; }

    // The system's error number and text of the last failure (0 / "" when
    // the last copy succeeded or failed without a system error).
    int error() const { return lastErrno; }
    QString errorText() const;

    // Whether `folder` is `tree` or lies anywhere below it, told by device
    // and inode on the way up (a link or a second mount of the same file
    // system cannot hide it).
    static bool isInsideTree(const Folder &folder, const Folder &tree);
    // The largest file `folder`'s file system holds (vfat: 4 GiB - 1).
    static qint64 largestFile(const Folder &folder);

private:
    Status finish(Status status, int err);
    Status writeInto(int in, Pending *pending);
    Status transfer(int in, int out, int *err);
    Status readBack(int fd, ContentHash::Digest *digest, qint64 *size, int *err);
    void step(Step done) const;
    void progressed(qint64 bytes);
    bool stopWanted() const;

    char *buffer;
    std::size_t blockSize;
    std::unique_ptr<char, void (*)(void *)> ownBuffer;
    // Aligned for O_DIRECT: the read-back and the second file of a compare.
    std::unique_ptr<char, void (*)(void *)> verifyBuffer;
    ContentHash hash;
    Proof lastProof;
    Hooks hooks;
    int lastErrno = 0;
    qint64 copied = 0;
    qint64 expected = 0;
    const std::atomic<bool> *cancelFlag = nullptr;
    bool unnamedFiles = true;
    bool replacing = true;
};

#endif
