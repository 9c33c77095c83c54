#include "copycommand.h"

#include <QMessageBox>
#include <QTreeWidget>

#include "deletecommand.h"
#include "picturepane.h"
#include "sharedprogress.h"
#include "copyjob.h"
#include "flashcard.h"
#include "folder.h"
#include "progressedit.h"
#include "plainmessagebox.h"

CopyCommand::CopyCommand(QWidget *parentWindow, PicturePane &sourcePane,
                         PicturePane &destinationPane, CopyJob &job, progressEdit *progressWindow,
                         SharedProgress *sharedRuns, const FlashCard &flashCard)
    : QObject(parentWindow), window(parentWindow), source(sourcePane),
      destination(destinationPane), copyJob(job), progress(progressWindow), runs(sharedRuns),
      card(flashCard)
{
    connect(&copyJob, &CopyJob::planned, this, &CopyCommand::keepBothAsked);
    connect(&copyJob, &CopyJob::failed, this, &CopyCommand::copyFailed);
    connect(&copyJob, &CopyJob::finished, this, [this] {
        progress->hide();
        emit finished();
    });
    connect(&copyJob, &CopyJob::started, this, [this] {
        progress->startCopy(tr("copy files"));
        progress->show();
    });
    connect(&copyJob, &CopyJob::bytesCopied, progress, &progressEdit::showCopy);
    connect(&copyJob, &CopyJob::leftOut, this, [this](const QStringList &names) {
        copyBox(tr("%n picture(s) could not be copied and were left out:", nullptr,
                   int(names.size())) +
                "\n" + names.join('\n'));
    });
}

void CopyCommand::copySelected()
{
    const QList<QTreeWidgetItem *> selected = source.selectedInOrder();
    if (selected.isEmpty())
        return;
    if (!PictureCopy::destinationUsable(destination.folder()))
        return destinationUnusable();
    if (PictureCopy::insideSource(source.folder(), destination.folder()))
        return copyBox(tr("The destination is inside the source folder."));
    if (selected.size() == 1) {
        copyFile();
        return;
    }
    QList<FolderEntry> entries;
    for (const QTreeWidgetItem *item : selected)
        entries.append(source.entryOf(item));
    copyMany(entries);
}

// The bytes go through the worker; the destination is listed again when
// they are in place.
void CopyCommand::copyFile()
{
    const QTreeWidgetItem *selected = source.selectedItem();
    if (!selected || selected->text(0).isEmpty())
        return;
    const FolderEntry entry = source.entryOf(selected);
    const bool begun =
        copyJob.begin(source.folder(), destination.folder(), card.volumeOf(source.folder()));
    const PictureCopy::Result result = begun ? copyJob.check(entry) : PictureCopy::Result();
    copyAlone = true;
    if (!begun)
        destinationUnusable();
    else if (result.outcome == PictureCopy::Failed)
        copyFailed(result, Folder::displayName(entry.name));
    // Return alone never overwrites.
    const bool exists = result.outcome == PictureCopy::Exists;
    if (!begun || result.outcome == PictureCopy::Failed ||
        (exists && !DeleteCommand::confirmed(window, tr("copy file"),
                                             tr("destination file exists!\noverwrite ?")))) {
        copyJob.drop();
        emit dropped();
        return;
    }
    emit started();
    copyJob.copyOne(entry, exists ? PictureCopy::Replace : PictureCopy::NoReplace);
}

// One question for all, and only for names the destination gives other
// pictures: two buttons keep the box within a small screen, and Return
// alone, like Escape, keeps nothing twice. Nothing is ever overwritten.
// The progress window is the job's alone: runs going on stop first.
void CopyCommand::copyMany(const QList<FolderEntry> &entries)
{
    copyAlone = false;
    runs->cancelAll();
    emit started();
    if (!copyJob.plan(source.folder(), destination.folder(), card.volumeOf(source.folder()),
                      entries)) {
        emit refused();
        destinationUnusable();
    }
}

void CopyCommand::keepBothAsked(int collisions, int total)
{
    const bool keepBoth =
        collisions > 0 &&
        DeleteCommand::confirmed(window, tr("copy file"),
                                 tr("%1 of the %2 pictures have the same name as a different "
                                    "picture in the destination.\nkeep both ?")
                                     .arg(collisions)
                                     .arg(total));
    copyJob.copyPlanned(keepBoth);
}

void CopyCommand::copyFailed(const PictureCopy::Result &result, const QString &name)
{
    // A picture copied alone that vanished shows by its absence.
    if (copyAlone && result.quietAlone)
        return;
    QString text;
    switch (result.reason) {
    case PictureCopy::SameFile:
        text = tr("source and destination are the same file,\nnothing copied");
        break;
    case PictureCopy::DestinationGone:
        text = noSuccess(destination.folder());
        break;
    case PictureCopy::SourceChanged:
        text = noSuccess(tr("the picture changed while it was copied"));
        break;
    case PictureCopy::Differs:
        return copyBox(tr("%1: the copy in the destination differs from the card.").arg(name));
    case PictureCopy::InsideSource:
        return copyBox(tr("The destination is inside the source folder."));
    default:
        text = DeleteCommand::failureText(result.err);
    }
    copyBox(copyAlone || !result.nameIt ? text : text + "\n" + name);
}

QString CopyCommand::noSuccess(const QString &detail) const
{
    return tr("no success") + "\n" + detail;
}

void CopyCommand::destinationUnusable()
{
    copyBox(tr("The destination directory\n%1\nis missing or cannot be read.\n"
               "Nothing was copied.")
                .arg(destination.folder()));
}

void CopyCommand::copyBox(const QString &text)
{
    PlainMessageBox::information(window, tr("copy file"), text, QMessageBox::Ok);
}
