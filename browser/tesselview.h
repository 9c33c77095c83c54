#ifndef TESSELVIEW_H
#define TESSELVIEW_H

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QTimer>

#include "browser/maindlg.h"
#include "widgets/widgettools.h"

class FullPic;
class TesselData;
class cfgEdit;
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
    void clearLeft();
    void clearRight();

    // Valid until the next call; null when the picture cannot be shown.
    QPixmap *loadSmallPic(const QString &dir, const QString &name, bool useThumb);
    void showPreview(const QString &name);

    QString thumbDir(const QString &dir) const;
    QString thumbName(const QString &dir, const QString &name) const;

    // Starts a pane's run, or makes the thumbnail of its next picture;
    // false once the run has ended.
    bool stepSrcThumbs(bool start);
    bool stepDestThumbs(bool start);
    void saveThumbToSrc(QTreeWidgetItem *item, QPixmap *picture);
    void saveThumbToDest(QTreeWidgetItem *item, QPixmap *picture);

    // Copies the selected source picture into the destination folder.
    void copyFile();

    bool initMountState();
    int mountDevice();
    int unmountDevice();
    bool isMounted() const { return mounted; }
    void showFreeStorage();

    // Longest device or mount point the mount call accepts.
    static constexpr int maxMountArgLength = 255;

signals:
    void cfgChanged();

private slots:
    void slotCloseRequest();
    void slotLeftPrepThumbnails() override;
    void slotSaveNextSrcEntry();
    void slotRightPrepThumbnails() override;
    void slotSaveNextDestEntry();
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
    int activeSide;
    QString currentPicture;
    QString freeText;
    QString freeUnit;
    QTimer dirTimer;
    QTimer srcThumbTimer;
    QTimer destThumbTimer;
    FullPic *fullPic;
    cfgEdit *cfgDialog;
    progressEdit *progress;
    bool mounted;

    // Where each pane's thumbnail run stands between ticks: the next item
    // and its 1-based number. The item is null whenever the pane has been
    // emptied since, so a run never reaches a deleted item.
    QTreeWidgetItem *srcThumbItem;
    int srcThumbIndex;
    QTreeWidgetItem *destThumbItem;
    int destThumbIndex;

    // One block of a copy, and a spare byte.
    char pictureBuffer[4097];

private:
    enum ListFill { FillEmpty, FillDone, FillUnreadable };
    // Every (re)fill and emptying of a pane passes through here.
    ListFill refillPane(QTreeWidget *list, const QString &path);
    void emptyPane(QTreeWidget *list);
    void clearPane(QTreeWidget *list);
    void setMountLook(bool isMounted);
    void setSourceButtons(bool picturesListed);
    void showCallFailure(const QString &caption);

    // The parts that the source and the destination runs share.
    struct ThumbRun
    {
        QTreeWidget *list;
        QTimer *timer;
        QTreeWidgetItem **item;
        int *index;
        const QString *dir;
    };
    ThumbRun sourceRun();
    ThumbRun destinationRun();
    bool stepThumbs(const ThumbRun &run, bool start, const char *caption,
                    void (TesselView::*save)(QTreeWidgetItem *, QPixmap *));
    void stopRunOf(QTreeWidget *list);
    void hideProgressUnlessRunning(const QTimer &otherRun);
    bool saveThumb(const QString &dir, QTreeWidgetItem *item, const QPixmap *picture);
    void reportUnsaved(const char *who, const QString &path, const QString &name);

    bool acceptDirectory(const QString &dir);

    QPixmap loadedPic;
    QPixmap scaledPic;
    char deviceBuffer[maxMountArgLength + 1];
    char mountPointBuffer[maxMountArgLength + 1];
};

#endif
