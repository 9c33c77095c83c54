#ifndef DELETECOMMAND_H
#define DELETECOMMAND_H

#include <QList>
#include <QObject>
#include <QString>

#include "pictureremoval.h"

class FlashCard;
class PicturePane;
class QWidget;

// The two delete commands of the browser, their questions and boxes: all
// pictures of the source, or the picture selected in the destination. All
// of the source goes only as far as the user agrees: the proven pictures,
// or all of them; the proven ones are looked at once more just before they
// go, and the card is synced afterwards. The files go through the removal
// job; started() and finished() tell the window to hold its controls and
// to list the pane again.
class DeleteCommand : public QObject
{
    Q_OBJECT
public:
    DeleteCommand(QWidget *window, PicturePane &source, PicturePane &destination,
                  PictureRemoval &removal, const FlashCard &card);

    // Asks from the marks the pictures show, which every listing and copy
    // renews; each proven picture is looked at once more before it goes.
    void deleteAll();
    void deleteSelected();

    // Questions that delete default to No: Return alone never deletes.
    static bool confirmed(QWidget *parent, const QString &caption, const QString &text);
    // A system's refusal, worded for a box.
    static QString failureText(int err);

signals:
    void started();
    // `sourcePane`: the source was worked on (and its free space changed).
    void finished(bool sourcePane);

private:
    void remove(const QList<FolderEntry> &entries, const QString &caption, PicturePane &pane,
                const PictureRemoval::Checks &checks = {});
    void done(const QByteArray &name, int err);
    QList<FolderEntry> provenEntries() const;
    void tell(const QString &text) const;

    QWidget *window;
    PicturePane &source;
    PicturePane &destination;
    PictureRemoval &removal;
    // Its identity must still be the recorded one when proven pictures go.
    const FlashCard &card;
    QString caption;
    PicturePane *pane = nullptr;
};

#endif
