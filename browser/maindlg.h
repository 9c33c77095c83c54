#ifndef MAINDLG_H
#define MAINDLG_H

#include <QMap>
#include <QStringList>
#include <QWidget>

class QEvent;
class QHBoxLayout;
class QLCDNumber;
class QLabel;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

// The main screen's form: builds the widgets, help texts and connections.
// Its slots only warn; the browser overrides them.
class MainDlg : public QWidget
{
    Q_OBJECT
public:
    explicit MainDlg(QWidget *parent = nullptr, const char *name = nullptr,
                     Qt::WindowFlags fl = Qt::WindowFlags());
    ~MainDlg() override;

    // Says under the source list how many camera files are not listed, and
    // of which extensions, from their count by extension ("CR2" -> 12, as
    // CardListing counts them); nothing when there are none.
    void setHiddenCameraFiles(const QMap<QString, int> &byExtension);
    // That line as the label shows it, for the first "delete all" question;
    // empty while no camera file is hidden.
    QString hiddenCameraFilesLine() const;
    // Every control that starts work or changes a pane: a running job holds
    // them all.
    QList<QWidget *> commandControls() const;

    QPushButton *MountPushButton;
    QLCDNumber *AvailMemLCDNumber;
    QLabel *MTextLabel;
    QToolButton *SetupToolButton;
    QToolButton *ShowFullToolButton;
    QLabel *PixmapLabel;
    QToolButton *LeftDeleteToolButton;
    QToolButton *LeftChdirToolButton;
    QToolButton *LeftThumbnailButton;
    QToolButton *LeftCopyToolButton;
    QTreeWidget *LeftListView;
    // Under the source list: how many camera files the extensions setting
    // keeps out of it. Hidden while there are none.
    QLabel *HiddenFilesLabel;
    QToolButton *RightDeleteToolButton;
    QToolButton *RightThumbnailButton;
    QToolButton *RightChdirToolButton;
    QToolButton *RightMkdirToolButton;
    QTreeWidget *RightListView;

public slots:
    virtual void slotChdirLeft();
    virtual void slotChdirRight();
    virtual void slotCopyToRight();
    virtual void slotDeleteLeft();
    virtual void slotDeleteRight();
    virtual void slotLeftSelectionChanged(QTreeWidgetItem *item);
    virtual void slotLeftPrepThumbnails();
    virtual void slotMkdirRight();
    virtual void slotRightPrepThumbnails();
    virtual void slotRightSelectionChanged(QTreeWidgetItem *item);
    virtual void slotSetup();
    virtual void slotShowFullPic();
    virtual void slotToggleMount();

protected:
    QVBoxLayout *mainLayout;
    QVBoxLayout *bodyLayout;
    QHBoxLayout *topRowLayout;
    QVBoxLayout *controlsLayout;
    QHBoxLayout *freeSpaceLayout;
    QHBoxLayout *setupRowLayout;
    QVBoxLayout *previewLayout;
    QHBoxLayout *panesLayout;
    QVBoxLayout *leftPaneLayout;
    QHBoxLayout *leftButtonsLayout;
    QVBoxLayout *rightPaneLayout;
    QHBoxLayout *rightButtonsLayout;

    bool event(QEvent *e) override;

private:
    void buildControls();
    void buildPreview();
    void buildSourcePane();
    void buildDestinationPane();
    void connectSignals();
    QToolButton *paneButton(QHBoxLayout *row, const char *objectName, const char *const *xpm,
                            const QString &toolTip, const QString &whatsThis);
    QTreeWidget *pictureList(QVBoxLayout *pane, const char *objectName, const QStringList &columns,
                             const QString &toolTip, const QString &whatsThis);
    void applyUnitFont();
    void connectSelection(QTreeWidget *list, void (MainDlg::*slot)(QTreeWidgetItem *));
};

#endif
