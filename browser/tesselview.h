#ifndef TESSELVIEW_H
#define TESSELVIEW_H

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QTimer>

#include "browser/maindlg.h"
#include "browser/widgettools.h"

class TesselData;

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
    void slotGetFreeStorage();
    void slotToggleMount() override;
    void slotShowDir();
    void slotLeftSelectionChanged(QTreeWidgetItem *item) override;
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
    bool mounted;

private:
    enum ListFill { FillEmpty, FillDone, FillUnreadable };
    // Every (re)fill and emptying of a pane passes through here.
    ListFill refillPane(QTreeWidget *list, const QString &path);
    void emptyPane(QTreeWidget *list);
    void clearPane(QTreeWidget *list);
    void setMountLook(bool isMounted);
    void setSourceButtons(bool picturesListed);
    void showCallFailure(const QString &caption);

    QPixmap loadedPic;
    QPixmap scaledPic;
    char deviceBuffer[maxMountArgLength + 1];
    char mountPointBuffer[maxMountArgLength + 1];
};

#endif
