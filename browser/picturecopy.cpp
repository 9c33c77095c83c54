#include "browser/picturecopy.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browser/flashcard.h"
#include "platform/filecopy.h"
#include "platform/folder.h"
#include "platform/replacementfile.h"

namespace {

void printUnreadable(const QString &path)
{
    printf("\nTesselView::ReadFile - file not found (%s)\n", qPrintable(path));
    fflush(stdout);
}

bool sameFile(const Folder &a, const Folder &b, const QByteArray &name)
{
    struct stat sa, sb;
    return a.status(name, &sa) && b.status(name, &sb) && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

QString systemFailure(int err)
{
    return FlashCard::failureText(QString::fromLocal8Bit(strerror(err)), err);
}

} // namespace

PictureCopy::PictureCopy(Worker &copier, char *copyBuffer, std::size_t size)
    : worker(copier), buffer(copyBuffer), bufferSize(size)
{
}

PictureCopy::~PictureCopy() = default;

bool PictureCopy::begin(const QString &from, const QString &to)
{
    fromDir = from;
    toDir = to;
    source = std::make_shared<Folder>(from);
    destination = std::make_shared<Folder>(to);
    struct stat st;
    // Opening it is enough: reading every name of a large folder before
    // each copy would only repeat what the listing already did.
    if (to.isEmpty() || !destination->isOpen() || fstat(destination->descriptor(), &st) != 0)
        return false;
    destinationDevice = st.st_dev;
    destinationInode = st.st_ino;
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

QString PictureCopy::unusableText(const QString &folder)
{
    return tr("The destination directory\n%1\nis missing or cannot be read.\n"
              "Nothing was copied.")
        .arg(folder);
}

bool PictureCopy::exists(const QString &dir, const QByteArray &name)
{
    struct stat st;
    return Folder(dir).status(name, &st);
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

PictureCopy::Result PictureCopy::check(const QByteArray &name) const
{
    Result result;
    const int probe = source->open(name, O_RDONLY | O_NONBLOCK);
    if (probe < 0) {
        const int err = errno;
        printUnreadable(fromDir + "/" + Folder::displayName(name));
        return {Failed, systemFailure(err), true};
    }
    ::close(probe);
    if (!destinationStillThere())
        return {Failed, tr("no success") + "\n" + toDir, false, false};
    // Opening the picture for writing would empty it before a byte is read.
    if (sameFile(*source, *destination, name))
        return {Failed, tr("source and destination are the same file,\nnothing copied"), false,
                false};
    struct stat st;
    if (destination->status(name, &st))
        result.outcome = Exists;
    return result;
}

Worker::Task<PictureCopy::Result>
PictureCopy::start(const QByteArray &name, std::function<void(qint64, qint64)> progress)
{
    const QString from = fromDir + "/" + Folder::displayName(name);
    const QString to = toDir + "/" + Folder::displayName(name);
    std::function<Result(const std::atomic<bool> &)> job =
        [from, to, name, progress, source = source, destination = destination,
         buffer = buffer, size = bufferSize](const std::atomic<bool> &cancelled) {
            memset(buffer, 0, size);
            FileCopy copier(buffer, size - 1);
            copier.setCancelFlag(&cancelled);
            struct stat st;
            const qint64 total = source->status(name, &st) ? qint64(st.st_size) : 0;
            if (progress)
                copier.onProgress = [&](qint64 copied) { progress(copied, total); };
            const FileCopy::Status status = copier.copy(*source, name, *destination, name);
            if (status == FileCopy::Copied)
                return Result{Copied, QString()};
            if (status == FileCopy::Cancelled)
                return Result{Cancelled, QString()};
            if (status == FileCopy::SourceUnreadable) {
                printUnreadable(from);
            } else if (status == FileCopy::NotCreated) {
                printf("\nTesselView::WriteFile - file not writeable (%s)\n", qPrintable(to));
                fflush(stdout);
            }
            // The destination is untouched: either the old file or none at all.
            if (status == FileCopy::SourceChanged)
                return Result{Failed,
                              tr("no success") + "\n" + tr("the picture changed while it was copied")};
            return Result{Failed, FlashCard::failureText(copier.errorText(), copier.error())};
        };
    return worker.run<Result>(std::move(job));
}

PictureCopy::Result PictureCopy::copy(const QByteArray &name)
{
    const Worker::Task<Result> task = start(name);
    Worker::await(task.future);
    return task.future.result();
}
