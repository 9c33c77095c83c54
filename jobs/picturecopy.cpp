#include "picturecopy.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diagnostics.h"
#include "filecopy.h"
#include "folder.h"
#include "importrecord.h"
#include "replacementfile.h"
#include "volumeid.h"

namespace {

void printUnreadable(const QString &path)
{
    Diagnostics::print("\nTesselView::ReadFile - file not found (" + path.toLocal8Bit() + ")\n");
}

bool sameFile(const Folder &a, const QByteArray &aName, const Folder &b, const QByteArray &bName)
{
    struct stat sa, sb;
    return a.status(aName, &sa) && b.status(bName, &sb) && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// A picture that vanished or cannot be read is one picture's failure.
PictureCopy::Result systemFailure(int err, bool quietAlone = false)
{
    return {PictureCopy::Failed, PictureCopy::SystemError, err, quietAlone, true, quietAlone};
}

} // namespace

PictureCopy::PictureCopy(Worker &copier) : worker(copier) {}

PictureCopy::~PictureCopy() = default;

bool PictureCopy::begin(const QString &from, const QString &to)
{
    fromDir = from;
    toDir = to;
    destination = std::make_shared<Folder>(to);
    struct stat st;
    // Opening it is enough: reading every name of a large folder before
    // each copy would only repeat what the listing already did.
    if (to.isEmpty() || !destination->isOpen() || fstat(destination->descriptor(), &st) != 0)
        return false;
    destinationDevice = st.st_dev;
    destinationInode = st.st_ino;
    volume = VolumeId::ofMountedFolder(Folder(from));
    // Queued first, so done before any copy of the command.
    worker.run<bool>([folder = destination](const std::atomic<bool> &) {
        ReplacementFile::removeLeftovers(*folder);
        return true;
    });
    return true;
}

bool PictureCopy::destinationUsable(const QString &folder)
{
    return !folder.isEmpty() && Folder(folder).isOpen();
}

bool PictureCopy::insideSource(const QString &fromDir, const QString &toDir)
{
    const Folder from(fromDir), to(toDir);
    return from.isOpen() && to.isOpen() && FileCopy::isInsideTree(to, from);
}

PictureCopy::Transfer PictureCopy::Transfer::whole(const FolderEntry &entry)
{
    return {entry, entry.files(), entry.files()};
}

// The folder was opened by its path; should the path now lead elsewhere (a
// card unmounted leaves the empty mount point), copies would land where the
// user did not send them.
bool PictureCopy::destinationStillThere() const
{
    struct stat st;
    return ::stat(QFile::encodeName(toDir).constData(), &st) == 0 &&
           st.st_dev == destinationDevice && st.st_ino == destinationInode;
}

PictureCopy::Result PictureCopy::check(const Transfer &files) const
{
    Result result;
    const std::shared_ptr<const Folder> folder = files.entry.folder();
    if (!folder)
        return systemFailure(files.entry.isValid() ? errno : ENOENT, true);
    const Folder &source = *folder;
    for (const QByteArray &name : files.from) {
        const int probe = source.open(name, O_RDONLY | O_NONBLOCK);
        if (probe < 0) {
            const int err = errno;
            printUnreadable(fromDir + "/" + Folder::displayName(name));
            return systemFailure(err, true);
        }
        ::close(probe);
    }
    if (!destinationStillThere())
        return {Failed, DestinationGone, 0, false, false};
    if (insideSource(fromDir, toDir))
        return {Failed, InsideSource, 0, false, false};
    struct stat st;
    for (int i = 0; i < files.from.size() && i < files.to.size(); ++i) {
        // Opening the picture for writing would empty it before a byte is read.
        if (sameFile(source, files.from.at(i), *destination, files.to.at(i)))
            return {Failed, SameFile, 0, false, false};
        if (destination->status(files.to.at(i), &st))
            result.outcome = Exists;
    }
    return result;
}

namespace {

// Copies one file of a transfer; a result with Copied when it is proven.
PictureCopy::Result copyOne(FileCopy &copier, const Folder &source, const QByteArray &from,
                            const Folder &destination, const QByteArray &to,
                            const QString &shownFrom, const QString &shownTo)
{
    using R = PictureCopy::Result;
    const FileCopy::Status status = copier.copy(source, from, destination, to);
    if (status == FileCopy::Copied)
        return R{PictureCopy::Copied};
    if (status == FileCopy::Cancelled)
        return R{PictureCopy::Cancelled};
    if (status == FileCopy::SourceUnreadable) {
        printUnreadable(shownFrom);
    } else if (status == FileCopy::NotCreated) {
        Diagnostics::print("\nTesselView::WriteFile - file not writeable (" +
                           shownTo.toLocal8Bit() + ")\n");
    }
    // The destination is untouched: either the old file or none at all.
    R result = systemFailure(copier.error());
    if (status == FileCopy::SourceChanged)
        result = R{PictureCopy::Failed, PictureCopy::SourceChanged};
    else if (status == FileCopy::Differs)
        result = R{PictureCopy::Failed, PictureCopy::Differs};
    result.onlyThis = FileCopy::reach(status, copier.error()) == FileCopy::Reach::File;
    return result;
}

} // namespace

Worker::Task<PictureCopy::Result>
PictureCopy::start(const Transfer &files, Existing existing,
                   std::function<void(qint64, qint64)> progress)
{
    std::function<Result(const std::atomic<bool> &)> job =
        [files, existing, progress, from = fromDir, to = toDir, destination = destination,
         volume = volume, hooks = hooks](const std::atomic<bool> &cancelled) {
            const std::shared_ptr<const Folder> folder = files.entry.folder();
            if (!folder)
                return systemFailure(files.entry.isValid() ? errno : ENOENT, true);
            const Folder &source = *folder;
            FileCopy copier;
            copier.setCancelFlag(&cancelled);
            copier.setReplacing(existing == Replace);
            copier.setHooks(hooks);
            qint64 total = 0;
            struct stat st;
            for (const QByteArray &name : files.from)
                total += source.status(name, &st) ? qint64(st.st_size) : 0;
            qint64 before = 0;
            if (progress)
                copier.onProgress = [&](qint64 copied) { progress(before + copied, total); };
            ImportRecord record(*destination);
            QList<ImportRecord::Line> proven;
            Result result{Copied};
            int done = 0;
            for (; done < files.from.size() && done < files.to.size(); ++done) {
                const QByteArray &name = files.from.at(done);
                result = copyOne(copier, source, name, *destination, files.to.at(done),
                                 from + "/" + Folder::displayName(name),
                                 to + "/" + Folder::displayName(files.to.at(done)));
                if (result.outcome != Copied)
                    break;
                const FileCopy::Proof &proof = copier.proof();
                proven.append({proof.hash, proof.size, proof.time, volume,
                               files.entry.folderPath(), name, files.to.at(done)});
                before += proof.size;
            }
            // Both files or neither: what this copy made of the others goes.
            if (result.outcome != Copied && existing == NoReplace)
                for (int i = 0; i < done; ++i)
                    destination->remove(files.to.at(i));
            // A picture counts as copied only once the record says so.
            if (result.outcome == Copied)
                for (const ImportRecord::Line &line : proven)
                    if (!record.append(line))
                        return systemFailure(errno);
            return result;
        };
    return worker.run<Result>(std::move(job));
}
