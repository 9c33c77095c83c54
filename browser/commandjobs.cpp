#include "commandjobs.h"

#include <QMessageBox>
#include <QTreeWidget>

#include <utility>

#include "copycommand.h"
#include "deletecommand.h"
#include "picturepane.h"
#include "flashcard.h"
#include "copyjob.h"
#include "pictureremoval.h"
#include "sharedprogress.h"
#include "worker.h"
#include "heldcontrols.h"
#include "plainmessagebox.h"

CommandJobs::CommandJobs(QWidget *parentWindow, PicturePane &sourcePane,
                         PicturePane &destinationPane, Worker &jobWorker, const FlashCard &card,
                         progressEdit *progress, SharedProgress *sharedRuns,
                         const QList<QWidget *> &heldControls)
    : QObject(parentWindow), window(parentWindow), source(sourcePane),
      destination(destinationPane), controls(heldControls), worker(jobWorker), runs(sharedRuns),
      copyJob(new CopyJob(worker, this)), removal(new PictureRemoval(worker, this)),
      copying(new CopyCommand(parentWindow, source, destination, *copyJob, progress, runs, card)),
      deleting(new DeleteCommand(parentWindow, source, destination, *removal, card))
{
    connect(copying, &CopyCommand::started, this, &CommandJobs::hold);
    connect(copying, &CopyCommand::refused, this, [this] {
        held.reset();
        emit holdChanged(false);
    });
    connect(copying, &CopyCommand::dropped, this, &CommandJobs::dropped);
    connect(copying, &CopyCommand::finished, this, [this] { end(false); });
    connect(deleting, &DeleteCommand::started, this, &CommandJobs::hold);
    connect(deleting, &DeleteCommand::finished, this, &CommandJobs::end);
    connect(&card, &FlashCard::removed, this, [this] { cardLost = held != nullptr; });
}

CommandJobs::~CommandJobs() = default;

bool CommandJobs::isRunning() const
{
    return copyJob->isRunning() || removal->isRunning();
}

// A command's job has the progress window to itself; it hides the window
// when it has stopped after the current file.
void CommandJobs::cancel()
{
    if (copyJob->isRunning()) {
        copyJob->cancel();
    } else if (removal->isRunning()) {
        removal->cancel();
    } else {
        runs->cancelAll();
        worker.cancelAll();
    }
}

void CommandJobs::hold()
{
    cardLost = false;
    held = std::make_unique<HeldControls>(controls);
    emit holdChanged(true);
}

void CommandJobs::end(bool sourcePane)
{
    held.reset();
    emit holdChanged(false);
    // Cancelled with the card, a job may have stopped without a word.
    if (std::exchange(cardLost, false))
        PlainMessageBox::information(window, tr("mount flashdisk"),
                                     tr("The card is gone: the command may not have finished."),
                                     QMessageBox::Ok);
    // A run that ended meanwhile gave its list back; the hold must not take
    // it again.
    for (PicturePane *pane : {&source, &destination})
        if (!pane->thumbnails().isRunning())
            pane->list->setEnabled(true);
    emit ended(sourcePane);
}
