#ifndef COPYCOMMAND_H
#define COPYCOMMAND_H

#include <QList>
#include <QObject>
#include <QString>

#include "picturecopy.h"

class CopyJob;
class FlashCard;
class PicturePane;
class SharedProgress;
class progressEdit;
class QWidget;

// The browser's copy command, its questions and boxes: the selected source
// pictures go into the destination folder through the copy job. One picture
// is asked about alone; many get one question for all. started() and
// finished() tell the window to hold its controls and to list the
// destination again; refused() lets the controls go when no job began, and
// dropped() follows a single copy that was not started.
class CopyCommand : public QObject
{
    Q_OBJECT
public:
    CopyCommand(QWidget *window, PicturePane &source, PicturePane &destination, CopyJob &job,
                progressEdit *progress, SharedProgress *runs, const FlashCard &card);

    void copySelected();
    // Copies the selected source picture into the destination folder.
    void copyFile();

signals:
    void started();
    void refused();
    void dropped();
    void finished();

private:
    void copyMany(const QList<FolderEntry> &entries);
    void keepBothAsked(int collisions, int total);
    void copyFailed(const PictureCopy::Result &result, const QString &name);
    QString noSuccess(const QString &detail) const;
    void destinationUnusable();
    void copyBox(const QString &text);

    QWidget *window;
    PicturePane &source;
    PicturePane &destination;
    CopyJob &copyJob;
    progressEdit *progress;
    SharedProgress *runs;
    // Names the card in the destination's record.
    const FlashCard &card;
    // A picture copied alone: a box only for what the user can act on.
    bool copyAlone = false;
};

#endif
