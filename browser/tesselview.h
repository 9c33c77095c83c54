#ifndef TESSELVIEW_H
#define TESSELVIEW_H

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QTimer>


#include "maindlg.h"
#include "picturepane.h"
#include "preview.h"
#include "thumbnailwork.h"
#include "flashcard.h"
#include "loadqueue.h"
#include "worker.h"
#include "widgettools.h"

class CardPanel;
class CommandJobs;
class FullPic;
class TesselData;
class cfgEdit;
class PictureSelection;
class SharedProgress;
class progressEdit;

// The picture browser: the source pane (a directory on the flash card it
// mounts itself), the destination pane, the preview and the free space.
class TesselView : public MainDlg, public WidgetTools, public QDir
{
    Q_OBJECT
public:
    TesselView(QWidget *parent, TesselData *data, const QString &dirPath,
               const QString &nameFilter);
    ~TesselView() override;

    bool listLeft();
    bool listRight();
    // Marks the source pictures that are in the destination folder; how
    // many are not.
    int markCopied();
    void clearLeft() { clearPane(source); }
    void clearRight() { clearPane(destination); }

    // Valid until the next call; null when the picture cannot be shown.
    QPixmap *loadSmallPic(const QString &dir, const QString &name, bool useThumb);
    // Shows the pane's selected entry, as the pane reported it.
    void showPreview(const PicturePane &pane, const FolderEntry &entry);

    QString thumbDir(const QString &dir) const;
    QString thumbName(const QString &dir, const QString &name) const;

    // Starts a pane's run, or makes the thumbnail of its next picture;
    // false once the run has ended.
    bool stepSrcThumbs(bool start) { return stepThumbs(source, start); }
    bool stepDestThumbs(bool start) { return stepThumbs(destination, start); }
    void saveThumbToSrc(QTreeWidgetItem *item, QPixmap *picture)
    {
        source.thumbnails().saveThumb(item, picture);
    }
    void saveThumbToDest(QTreeWidgetItem *item, QPixmap *picture)
    {
        destination.thumbnails().saveThumb(item, picture);
    }
    // Cancels the slow work and waits for it, then lets go of every file and
    // folder of the card, so that it can be unmounted.
    void releaseCard();

    // Copies the selected source picture into the destination folder.
    void copyFile();

    bool initMountState();
    // Both return at once; the card answers by its signals.
    void mountDevice();
    void unmountDevice();
    bool isMounted() const { return mounted; }
    void showFreeStorage();
    // Whose answered() follows each mount and unmount.
    const FlashCard &flashCard() const { return card; }

signals:
    void cfgChanged();

private slots:
    void slotCloseRequest();
    void slotLeftPrepThumbnails() override { stepSrcThumbs(true); }
    void slotSaveNextSrcEntry() { source.thumbnails().tick(); }
    void slotRightPrepThumbnails() override { stepDestThumbs(true); }
    void slotSaveNextDestEntry() { destination.thumbnails().tick(); }
    void slotGetFreeStorage();
    void slotToggleMount() override;
    void slotSetup() override;
    void slotShowFullPic() override;
    void slotShowDir();
    void slotLeftSelectionChanged(QTreeWidgetItem *item) override;
    void slotDeleteLeft() override;
    void slotCopyToRight() override;
    void slotChdirLeft() override;
    void slotDeleteRight() override;
    void slotChdirRight() override;
    void slotMkdirRight() override;
    void slotRightSelectionChanged(QTreeWidgetItem *item) override;

protected:
    TesselData *data;
    FlashCard card;
    Worker worker;
    LoadQueue loads;
    // What the card said last; painted here.
    QString freeText;
    QString freeUnit;
    // What the preview shows, and what the thumbnail runs do.
    Preview preview;
    ThumbnailWork thumbWork;
    QTimer dirTimer;
    PicturePane source;
    PicturePane destination;
    PictureSelection *selection;
    // The selection's: the side last clicked, and the shown text of the
    // previewed picture with its folder (the picture itself is the
    // preview's entry).
    int &activeSide;
    QString &currentPicture;
    // Each pane's run owns its timer; the names stay for the callers.
    QTimer &srcThumbTimer;
    QTimer &destThumbTimer;
    FullPic *fullPic = nullptr;
    cfgEdit *cfgDialog = nullptr;
    progressEdit *progress = nullptr;
    // Shows both panes' runs in `progress`.
    SharedProgress *runWindow = nullptr;
    bool mounted = false;

private:
    void clearPane(PicturePane &pane);
    void followCard(bool isMounted);
    void showCardAt(const QString &folder);
    void tell(const QString &caption, const QString &text);
    void setSourceButtons(bool picturesListed);
    void jobEnded(bool sourcePane);

    bool stepThumbs(PicturePane &pane, bool start);
    // Asks for a folder for `pane`, or for one to make in it.
    void changeFolder(PicturePane &pane, bool make);

    CardPanel *cardPanel;
    CommandJobs *jobs = nullptr;
};

#endif
