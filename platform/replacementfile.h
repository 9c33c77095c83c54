#ifndef REPLACEMENTFILE_H
#define REPLACEMENTFILE_H

#include <QByteArray>

#include <sys/types.h>

class Folder;

// The new content of a file while it is written. Where the file system
// allows, it has no name at all until commit(), so a crash leaves nothing
// behind; elsewhere (vfat) it lives under a name of ours
// (.tessel-copy-XXXXXXXX.part), locked while in use, and removeLeftovers()
// clears what an earlier crash left.
// Either way commit() puts it in place of the old file in one rename.
class ReplacementFile
{
public:
    // unnamedAllowed false: always the named way, as on vfat.
    ReplacementFile(const Folder &folder, bool unnamedAllowed);
    // Removes the content unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Open for reading too, so that the copy can be read back. -1 when no
    // file could be made (errno set).
    int descriptor() const { return fd; }

    // Gives the content `name`, replacing any file of that name. The
    // descriptor stays open. False with errno set on failure.
    bool commit(const QByteArray &name);
    // Gives the content `name` only while no file has it: a file that
    // appeared there meanwhile stays, and this fails with EEXIST.
    bool commitNew(const QByteArray &name);

    // Removes our temporary files in `folder` that no copy holds any more.
    // It reads the whole folder: once per command, not once per file.
    static void removeLeftovers(const Folder &folder);
    // `wanted` less the process's umask: the mode a new file gets. The
    // umask is read, not set: umask(0) and back would let another thread
    // create a file with no mask meanwhile.
    static mode_t newFileMode(mode_t wanted);
    static bool isTemporaryName(const QByteArray &name);

private:
    bool createNamed();
    bool linkUnnamed();

    const Folder &folder;
    int fd = -1;
    bool unnamed = false;
    QByteArray temporaryName;
};

#endif
