#ifndef PICTURESELECTION_H
#define PICTURESELECTION_H

#include <QObject>
#include <QString>

class PicturePane;
class Preview;
class QToolButton;
class QTreeWidgetItem;
struct FolderEntry;

// What the user picked: the pane last clicked, the picture its preview
// shows, and the commands that may act on it. Nothing may act on a picture
// that is no longer shown, and nothing while a job holds the controls. The
// source's commands act on the card: they are offered only while a card is
// mounted and its pictures are listed, and "copy" only with a destination
// it can write into.
class PictureSelection : public QObject
{
    Q_OBJECT
public:
    struct Buttons {
        QToolButton *deleteAll;
        QToolButton *changeFolder;
        QToolButton *thumbnails;
        QToolButton *copy;
        QToolButton *showFull;
    };
    PictureSelection(PicturePane &source, PicturePane &destination, Preview &preview,
                     const Buttons &buttons, QObject *parent = nullptr);

    // A pane's current item moved to `item`; the preview follows from the
    // pane's entrySelected, which comes after.
    void paneChanged(PicturePane &pane, const QTreeWidgetItem *item);
    // Shows the pane's selected entry, as the pane reported it.
    void show(const PicturePane &pane, const FolderEntry &entry);
    void setListed(bool picturesListed);
    // A job holds the buttons; they come back as they were when it lets
    // go, and then as the card and the preview are now.
    void setHeld(bool held);
    // The pane whose shown picture may go full screen; null when none.
    PicturePane *shownPane() const;

    // The side (1 source, 2 destination) last clicked; 0 before any.
    int side = 0;
    // The shown text of the previewed picture with its folder; empty while
    // none is shown.
    QString picture;

private:
    void shown(const QString &path);
    void offer();
    void refresh();

    PicturePane &source;
    PicturePane &destination;
    Preview &preview;
    Buttons buttons;
    bool listed = false;
    bool held = false;
};

#endif
