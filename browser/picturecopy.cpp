#include "browser/picturecopy.h"

#include <QMessageBox>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browser/flashcard.h"
#include "platform/filecopy.h"
#include "platform/folder.h"
#include "platform/systemcalls.h"

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

} // namespace

PictureCopy::PictureCopy(QWidget *parent, char *buffer, std::size_t bufferSize)
    : parent(parent), buffer(buffer), bufferSize(bufferSize)
{
}

bool PictureCopy::destinationUsable(const QString &folder)
{
    // Opening it is enough: reading every name of a large folder before
    // each copy would only repeat what the listing already did.
    if (!folder.isEmpty() && SystemCalls::canOpenDirectory(folder))
        return true;
    QMessageBox::information(parent, tr("copy file"),
                             tr("The destination directory\n%1\nis missing or cannot be read.\n"
                                "Nothing was copied.")
                                 .arg(folder),
                             QMessageBox::Ok);
    return false;
}

bool PictureCopy::exists(const QString &dir, const QByteArray &name)
{
    struct stat st;
    return Folder(dir).status(name, &st);
}

bool PictureCopy::askOverwrite()
{
    // Return alone never overwrites.
    return QMessageBox::information(parent, tr("copy file"),
                                    tr("destination file exists!\noverwrite ?"),
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
}

PictureCopy::Outcome PictureCopy::copy(const QString &fromDir, const QString &toDir,
                                       const QByteArray &name, Existing existing)
{
    const QString shownName = Folder::displayName(name);
    const QString from = fromDir + "/" + shownName;
    const QString to = toDir + "/" + shownName;
    const Folder source(fromDir), destination(toDir);
    const int probe = source.open(name, O_RDONLY);
    if (probe < 0) {
        const int err = errno;
        printUnreadable(from);
        // One picture alone vanished shows by its absence; in a copy of
        // many the user must learn where the job stopped.
        if (nameInFailure)
            showFailure(FlashCard::failureText(QString::fromLocal8Bit(strerror(err)), err),
                        shownName);
        return Failed;
    }
    ::close(probe);
    // Opening the picture for writing would empty it before a byte is read.
    if (sameFile(source, destination, name)) {
        QMessageBox::information(parent, tr("copy file"),
                                 tr("source and destination are the same file,\nnothing copied"),
                                 QMessageBox::Ok);
        return Failed;
    }
    if (exists(toDir, name) &&
        (existing == Keep || (existing == Ask && !askOverwrite())))
        return Skipped;

    memset(buffer, 0, bufferSize);
    FileCopy copier(buffer, bufferSize - 1);
    const FileCopy::Status status = copier.copy(source, name, destination, name);
    if (status == FileCopy::Copied)
        return Copied;
    if (status == FileCopy::SourceUnreadable) {
        printUnreadable(from);
    } else if (status == FileCopy::NotCreated) {
        printf("\nTesselView::WriteFile - file not writeable (%s)\n", qPrintable(to));
        fflush(stdout);
    }
    // The destination is untouched: either the old file or none at all.
    if (status == FileCopy::SourceChanged)
        showFailure(tr("no success") + "\n" + tr("the picture changed while it was copied"),
                    shownName);
    else
        showFailure(FlashCard::failureText(copier.errorText(), copier.error()), shownName);
    return Failed;
}

void PictureCopy::showFailure(const QString &text, const QString &name)
{
    QMessageBox::information(parent, tr("copy file"), nameInFailure ? text + "\n" + name : text,
                             QMessageBox::Ok);
}
