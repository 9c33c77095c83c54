#include "picturecopy.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <utility>
#include <vector>

#include "copypipeline.h"
#include "diagnostics.h"
#include "filecopy.h"
#include "folder.h"
#include "importrecord.h"
#include "replacementfile.h"

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

bool PictureCopy::begin(const QString &from, const QString &to, const QByteArray &cardVolume)
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
    volume = cardVolume;
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

// What a file's status means for its picture.
PictureCopy::Result resultOf(FileCopy::Status status, int err, const QString &shownFrom,
                             const QString &shownTo)
{
    using R = PictureCopy::Result;
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
    R result = systemFailure(err);
    if (status == FileCopy::SourceChanged)
        result = R{PictureCopy::Failed, PictureCopy::SourceChanged};
    else if (status == FileCopy::Differs)
        result = R{PictureCopy::Failed, PictureCopy::Differs};
    result.onlyThis = FileCopy::reach(status, err) == FileCopy::Reach::File;
    return result;
}


// Copies one file of a transfer; a result with Copied when it is proven.
PictureCopy::Result copyOne(FileCopy &copier, const Folder &source, const QByteArray &from,
                            const Folder &destination, const QByteArray &to,
                            const QString &shownFrom, const QString &shownTo)
{
    const FileCopy::Status status = copier.copy(source, from, destination, to);
    return resultOf(status, copier.error(), shownFrom, shownTo);
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
                proven.append({proof, volume, files.entry.folderPath(), name, files.to.at(done)});
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

Worker::Task<PictureCopy::Result>
PictureCopy::startMany(const QList<Transfer> &transfers, Done done,
                       std::function<void(qint64)> progress)
{
    std::function<Result(const std::atomic<bool> &)> job =
        [transfers, done, progress, from = fromDir, to = toDir, destination = destination,
         volume = volume, hooks = hooks, device = destinationDevice,
         inode = destinationInode](const std::atomic<bool> &cancelled) {
            // Each picture's folder is held until the last file is read.
            std::vector<std::shared_ptr<const Folder>> folders;
            QList<CopyPipeline::File> files;
            QList<int> pictureOf, firstFile;
            for (int t = 0; t < transfers.size(); ++t) {
                const Transfer &transfer = transfers.at(t);
                folders.push_back(transfer.entry.folder());
                firstFile.append(files.size());
                if (!folders.back())
                    continue;
                for (int i = 0; i < transfer.from.size() && i < transfer.to.size(); ++i) {
                    files.append({folders.back().get(), transfer.from.at(i), destination.get(),
                                  transfer.to.at(i)});
                    pictureOf.append(t);
                }
            }
            // A picture whose folder is gone is left out in its turn.
            int reported = 0;
            auto conclude = [&](int picture, const Result &result) {
                for (; reported < picture; ++reported)
                    if (!folders[reported] && !done(reported, systemFailure(ENOENT, true)))
                        return false;
                reported = picture + 1;
                return done(picture, result);
            };
            const auto stillThere = [&] {
                struct stat st;
                return ::stat(QFile::encodeName(to).constData(), &st) == 0 &&
                       st.st_dev == device && st.st_ino == inode;
            };
            ImportRecord record(*destination);
            Result picture{Copied}, ended{Copied};
            QList<ImportRecord::Line> lines;
            QList<QByteArray> made;
            // Both files or neither: what a failed picture made goes again.
            const auto removeMade = [&] {
                for (const QByteArray &name : std::exchange(made, {}))
                    destination->remove(name);
                lines.clear();
            };
            // A cancel ends the copy between pictures, or within a big file
            // once its first chunk is in: a small file is copied whole.
            std::atomic<bool> halt{false};
            CopyPipeline pipeline;
            pipeline.setCancelFlag(&halt);
            pipeline.setHooks(hooks);
            pipeline.onProgress = [&](qint64 copied) {
                if (cancelled.load())
                    halt.store(true);
                if (progress)
                    progress(copied);
            };
            pipeline.run(files, [&](const CopyPipeline::Outcome &outcome) {
                const int t = pictureOf.at(outcome.index);
                const Transfer &transfer = transfers.at(t);
                const int k = outcome.index - firstFile.at(t);
                const QByteArray &name = transfer.from.at(k), &target = transfer.to.at(k);
                if (picture.outcome == Copied) {
                    picture = resultOf(outcome.status, outcome.error,
                                       from + "/" + Folder::displayName(name),
                                       to + "/" + Folder::displayName(target));
                    if (picture.outcome == Copied)
                        lines.append(
                            {outcome.proof, volume, transfer.entry.folderPath(), name, target});
                }
                if (outcome.status == FileCopy::Copied)
                    made.append(target);
                if (picture.outcome != Copied && !picture.onlyThis) {
                    removeMade();
                    ended = picture;
                    return false;
                }
                if (k + 1 < transfer.from.size() && k + 1 < transfer.to.size())
                    return true;
                const Result result = std::exchange(picture, Result{Copied});
                if (result.outcome != Copied)
                    removeMade();
                // A picture counts as copied only once the record says so.
                for (const ImportRecord::Line &line : std::exchange(lines, {}))
                    if (!record.append(line)) {
                        ended = systemFailure(errno);
                        return false;
                    }
                made.clear();
                if (!conclude(t, result))
                    return false;
                if (cancelled.load()) {
                    ended = Result{Cancelled};
                    return false;
                }
                // Should the path lead elsewhere now (a card unmounted leaves
                // the empty mount point), the rest stays where it is.
                if (stillThere())
                    return true;
                ended = {Failed, DestinationGone, 0, false, false};
                return false;
            });
            for (; ended.outcome == Copied && reported < transfers.size(); ++reported)
                if (!folders[reported] && !done(reported, systemFailure(ENOENT, true)))
                    break;
            return ended;
        };
    return worker.run<Result>(std::move(job));
}
