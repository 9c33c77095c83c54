#ifndef COMMANDJOBS_H
#define COMMANDJOBS_H

#include <QList>
#include <QObject>

#include <memory>

class CopyCommand;
class CopyJob;
class DeleteCommand;
class FlashCard;
class HeldControls;
class PicturePane;
class PictureRemoval;
class SharedProgress;
class Worker;
class progressEdit;
class QWidget;

// The copy and delete commands and the jobs that carry them out. While a
// job runs it holds the window's controls, so that nothing changes the
// panes or starts more work on the same files, and gives them back as they
// were when it ends.
class CommandJobs : public QObject
{
    Q_OBJECT
public:
    CommandJobs(QWidget *window, PicturePane &source, PicturePane &destination, Worker &worker,
                const FlashCard &card, progressEdit *progress, SharedProgress *runs,
                const QList<QWidget *> &controls);
    ~CommandJobs() override;

    CopyCommand &copy() const { return *copying; }
    DeleteCommand &remove() const { return *deleting; }
    bool isRunning() const;
    // Stops the running job after its current file; without one, what
    // else runs in the progress window.
    void cancel();

signals:
    void holdChanged(bool held);
    // A command is over and the controls are back. `sourcePane`: it worked
    // on the source, whose list and free space changed.
    void ended(bool sourcePane);
    // A picture to be copied alone was not copied after all.
    void dropped();

private:
    void hold();
    void end(bool sourcePane);

    QWidget *window;
    PicturePane &source;
    PicturePane &destination;
    QList<QWidget *> controls;
    Worker &worker;
    SharedProgress *runs;
    CopyJob *copyJob;
    PictureRemoval *removal;
    CopyCommand *copying;
    DeleteCommand *deleting;
    std::unique_ptr<HeldControls> held;
    // The card went away while a job held the controls.
    bool cardLost = false;
};

#endif
