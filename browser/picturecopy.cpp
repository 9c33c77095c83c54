#include "browser/picturecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstring>

#include "browser/flashcard.h"
#include "platform/filecopy.h"

namespace {

void printUnreadable(const QString &path)
{
    printf("\nTesselView::ReadFile - file not found (%s)\n", qPrintable(path));
    fflush(stdout);
}

} // namespace

PictureCopy::PictureCopy(QWidget *parent, char *buffer, std::size_t bufferSize)
    : parent(parent), buffer(buffer), bufferSize(bufferSize)
{
}

bool PictureCopy::copy(const QString &from, const QString &to)
{
    if (!QFile(from).open(QIODevice::ReadOnly)) {
        printUnreadable(from);
        return false;
    }
    // Opening the picture for writing would empty it before a byte is read.
    if (FileCopy::isSameFile(from, to)) {
        QMessageBox::information(parent, tr("copy file"),
                                 tr("source and destination are the same file,\nnothing copied"),
                                 QMessageBox::Ok);
        return false;
    }
    if (QFileInfo::exists(to) &&
        QMessageBox::information(parent, tr("copy file"), tr("destination file exists!\noverwrite ?"),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;

    memset(buffer, 0, bufferSize);
    FileCopy copier(buffer, bufferSize - 1);
    const FileCopy::Status status = copier.copy(from, to);
    if (status == FileCopy::Copied)
        return true;
    if (status == FileCopy::SourceUnreadable) {
        printUnreadable(from);
    } else if (status == FileCopy::NotCreated) {
        printf("\nTesselView::WriteFile - file not writeable (%s)\n", qPrintable(to));
        fflush(stdout);
    }
    // The destination is untouched: either the old file or none at all.
    QMessageBox::information(parent, tr("copy file"),
                             FlashCard::failureText(copier.errorText(), copier.error()),
                             QMessageBox::Ok);
    return false;
}
