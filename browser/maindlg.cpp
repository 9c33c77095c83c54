#include "maindlg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpacerItem>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formtools.h"

#include "copy.xpm"
#include "delete.xpm"
#include "deleteall.xpm"
#include "folder.xpm"
#include "newfolder.xpm"
#include "samplephoto.xpm"
#include "thumbnail.xpm"

namespace {

// Qt tells only windows about a new application font, but the form mostly
// lives inside the main window: hand the application's news on to it.
class AppFontRelay : public QObject
{
public:
    explicit AppFontRelay(QWidget *form) : QObject(form), form(form)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == QCoreApplication::instance() && e->type() == QEvent::ApplicationFontChange &&
            !form->isWindow())
            QCoreApplication::sendEvent(form, e);
        return false;
    }

private:
    QWidget *form;
};

} // namespace

MainDlg::MainDlg(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(name ? name : "MainDlg");
    resize(260, 313);
    QSizePolicy formPolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    formPolicy.setHeightForWidth(sizePolicy().hasHeightForWidth());
    setSizePolicy(formPolicy);
    setMinimumSize(200, 180);
    setFont(font());
    setWindowTitle(tr("Vandro"));

    mainLayout = new QVBoxLayout(this);
    mainLayout->setSpacing(3);
    mainLayout->setContentsMargins(4, 4, 4, 4);

    bodyLayout = FormTools::noMarginLayout<QVBoxLayout>();
    topRowLayout = FormTools::noMarginLayout<QHBoxLayout>();
    buildControls();
    topRowLayout->addLayout(controlsLayout);
    buildPreview();
    topRowLayout->addLayout(previewLayout);
    bodyLayout->addLayout(topRowLayout);

    panesLayout = FormTools::noMarginLayout<QHBoxLayout>();
    buildSourcePane();
    panesLayout->addLayout(leftPaneLayout);
    buildDestinationPane();
    panesLayout->addLayout(rightPaneLayout);
    bodyLayout->addLayout(panesLayout);
    mainLayout->addLayout(bodyLayout);

    connectSignals();
    new AppFontRelay(this);
}

// The mount button, the free space and the row with setup and full view.
void MainDlg::buildControls()
{
    controlsLayout = FormTools::noMarginLayout<QVBoxLayout>();

    MountPushButton = new QPushButton(this);
    MountPushButton->setObjectName("MountPushButton");
    MountPushButton->setText(tr("mount device"));
    MountPushButton->setAutoDefault(true);
    MountPushButton->setToolTip(tr("mount / umounts flashdisk"));
    MountPushButton->setWhatsThis(tr("Press this button, to mount or\numount the disk. If color is "
                                     "green,\nthe disk is mounted, if red\nthe disk is not."));
    controlsLayout->addWidget(MountPushButton);

    freeSpaceLayout = FormTools::noMarginLayout<QHBoxLayout>();

    AvailMemLCDNumber = new QLCDNumber(this);
    AvailMemLCDNumber->setObjectName("AvailMemLCDNumber");
    AvailMemLCDNumber->setFrameShape(QFrame::StyledPanel);
    AvailMemLCDNumber->setSmallDecimalPoint(false);
    AvailMemLCDNumber->setDigitCount(8);
    AvailMemLCDNumber->setMode(QLCDNumber::Dec);
    AvailMemLCDNumber->setSegmentStyle(QLCDNumber::Outline);
    AvailMemLCDNumber->setToolTip(tr("shows the free disk space"));
    AvailMemLCDNumber->setWhatsThis(
        tr("This Number shows the free\ndisk space for the destination\ndir."));
    freeSpaceLayout->addWidget(AvailMemLCDNumber);

    MTextLabel = new QLabel(this);
    MTextLabel->setObjectName("MTextLabel");
    applyUnitFont();
    MTextLabel->setText(tr("K"));
    freeSpaceLayout->addWidget(MTextLabel);
    controlsLayout->addLayout(freeSpaceLayout);

    setupRowLayout = FormTools::noMarginLayout<QHBoxLayout>();

    SetupToolButton = new QToolButton(this);
    SetupToolButton->setObjectName("SetupToolButton");
    SetupToolButton->setText(tr("Setup"));
    SetupToolButton->setToolTip(tr("Opens to the config dialog"));
    SetupToolButton->setWhatsThis(tr("Opens the config dialog."));
    setupRowLayout->addWidget(SetupToolButton);

    setupRowLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));

    ShowFullToolButton = new QToolButton(this);
    ShowFullToolButton->setObjectName("ShowFullToolButton");
    ShowFullToolButton->setText(tr("Full"));
    ShowFullToolButton->setToolTip(tr("pixmap inf fullscreen mode"));
    ShowFullToolButton->setWhatsThis(tr("Shows the selected pixmap in\nfullscreenmode (270 ° rotated)"));
    setupRowLayout->addWidget(ShowFullToolButton);
    controlsLayout->addLayout(setupRowLayout);
}

void MainDlg::buildPreview()
{
    previewLayout = FormTools::noMarginLayout<QVBoxLayout>();

    PixmapLabel = new QLabel(this);
    PixmapLabel->setObjectName("PixmapLabel");
    QSizePolicy previewPolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    previewPolicy.setHeightForWidth(PixmapLabel->sizePolicy().hasHeightForWidth());
    PixmapLabel->setSizePolicy(previewPolicy);
    PixmapLabel->setMinimumSize(108, 83);
    PixmapLabel->setFrameShape(QFrame::StyledPanel);
    PixmapLabel->setFrameShadow(QFrame::Sunken);
    PixmapLabel->setLineWidth(2);
    PixmapLabel->setMargin(2);
    PixmapLabel->setPixmap(QPixmap(samplephoto_xpm));
    PixmapLabel->setScaledContents(true);
    PixmapLabel->setAlignment(Qt::AlignCenter);
    PixmapLabel->setToolTip(tr("preview pixmap"));
    PixmapLabel->setWhatsThis(tr("Shows a preview preview \nof the selected pixmap"));
    previewLayout->addWidget(PixmapLabel);

    previewLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

void MainDlg::buildSourcePane()
{
    leftPaneLayout = FormTools::noMarginLayout<QVBoxLayout>();
    leftButtonsLayout = FormTools::noMarginLayout<QHBoxLayout>();

    LeftDeleteToolButton = paneButton(
        leftButtonsLayout, "LeftDeleteToolButton", deleteall_xpm, tr("delete all source dirs images"),
        tr("This button deletes all source dirs\nimages (to get more space on the disk).\nYou have "
           "to confirm the action twice."));
    LeftChdirToolButton = paneButton(leftButtonsLayout, "LeftChdirToolButton", folder_xpm,
                                     tr("Change source dir"),
                                     tr("This Button opens a filedialog, \nto change the source dir."));
    LeftThumbnailButton = paneButton(leftButtonsLayout, "LeftThumbnailButton", thumbnail_xpm,
                                     tr("create thumbnails for actual dir"),
                                     tr("This button creates the thumbnails for\nthe left dir."));
    LeftCopyToolButton = paneButton(
        leftButtonsLayout, "LeftCopyToolButton", copy_xpm, tr("Copy the selected source to dest."),
        tr("This button copies the selected source\nimage to the destination dir."));
    leftPaneLayout->addLayout(leftButtonsLayout);

    // The camera folder comes after the name: at 240 pixels the name's
    // distinguishing part must be what shows.
    LeftListView = pictureList(leftPaneLayout, "LeftListView",
                               {tr("fromfile"), tr("size"), tr("folder")},
                               tr("source image list"),
                               tr("This listview shows the source\ndirs image files."));

    HiddenFilesLabel = new QLabel(this);
    HiddenFilesLabel->setObjectName("HiddenFilesLabel");
    HiddenFilesLabel->setWordWrap(true);
    HiddenFilesLabel->setTextFormat(Qt::PlainText);
    HiddenFilesLabel->hide();
    leftPaneLayout->addWidget(HiddenFilesLabel);
}

void MainDlg::setHiddenCameraFiles(const QMap<QString, int> &byExtension)
{
    int count = 0;
    for (const int files : byExtension)
        count += files;
    HiddenFilesLabel->setText(count > 0 ? tr("%n more camera files are not listed: %1", nullptr,
                                             count)
                                              .arg(byExtension.keys().join(", "))
                                        : QString());
    HiddenFilesLabel->setVisible(count > 0);
}

QList<QWidget *> MainDlg::commandControls() const
{
    return {LeftListView,         RightListView,         LeftCopyToolButton,
            LeftDeleteToolButton, LeftChdirToolButton,   LeftThumbnailButton,
            RightDeleteToolButton, RightChdirToolButton, RightMkdirToolButton,
            RightThumbnailButton, MountPushButton,       SetupToolButton,
            ShowFullToolButton};
}

QString MainDlg::hiddenCameraFilesLine() const
{
    return HiddenFilesLabel->text();
}

void MainDlg::buildDestinationPane()
{
    rightPaneLayout = FormTools::noMarginLayout<QVBoxLayout>();
    rightButtonsLayout = FormTools::noMarginLayout<QHBoxLayout>();

    RightDeleteToolButton = paneButton(
        rightButtonsLayout, "RightDeleteToolButton", delete_xpm, tr("Delete selected image"),
        tr("This button deletes the selected \nimage. You have to configrm the \naction."));
    RightThumbnailButton = paneButton(rightButtonsLayout, "RightThumbnailButton", thumbnail_xpm,
                                      tr("create Thumbnails"),
                                      tr("This button creates the thumbnails for\nthe right dir."));
    RightChdirToolButton = paneButton(rightButtonsLayout, "RightChdirToolButton", folder_xpm,
                                      tr("Change destination dir"),
                                      tr("This Button opens a filedialog,\nto change the actual dir."));
    RightMkdirToolButton = paneButton(
        rightButtonsLayout, "RightMkdirToolButton", newfolder_xpm, tr("Creates a directory"),
        tr("This toolbuttoncreates a directory\nin the destination dir. A filedialog\nleads you to "
           "the dir."));
    rightPaneLayout->addLayout(rightButtonsLayout);

    // One visible column; the browser still keeps each file's size in the
    // items' second column.
    RightListView =
        pictureList(rightPaneLayout, "RightListView", {tr("tofile")}, tr("destination image list"),
                    tr("This listview shows the actual \ndestination dirs image files."));
    // The header shows the folder's path: its own name, at the end, is the
    // part to keep when the path is cut.
    RightListView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    RightListView->header()->setTextElideMode(Qt::ElideLeft);
    RightListView->setTextElideMode(Qt::ElideMiddle);
}

QToolButton *MainDlg::paneButton(QHBoxLayout *row, const char *objectName, const char *const *xpm,
                                 const QString &toolTip, const QString &whatsThis)
{
    QToolButton *button = FormTools::iconButton(this, objectName, xpm);
    button->setToolTip(toolTip);
    button->setWhatsThis(whatsThis);
    row->addWidget(button);
    return button;
}

QTreeWidget *MainDlg::pictureList(QVBoxLayout *pane, const char *objectName,
                                  const QStringList &columns, const QString &toolTip,
                                  const QString &whatsThis)
{
    auto *list = new QTreeWidget(this);
    list->setObjectName(objectName);
    list->setHeaderLabels(columns);
    list->setToolTip(toolTip);
    list->setWhatsThis(whatsThis);
    pane->addWidget(list);
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
    return list;
}

void MainDlg::connectSignals()
{
    connect(MountPushButton, &QPushButton::clicked, this, &MainDlg::slotToggleMount);
    connect(ShowFullToolButton, &QToolButton::clicked, this, &MainDlg::slotShowFullPic);
    connect(SetupToolButton, &QToolButton::clicked, this, &MainDlg::slotSetup);
    connect(LeftDeleteToolButton, &QToolButton::clicked, this, &MainDlg::slotDeleteLeft);
    connect(LeftCopyToolButton, &QToolButton::clicked, this, &MainDlg::slotCopyToRight);
    connect(RightMkdirToolButton, &QToolButton::clicked, this, &MainDlg::slotMkdirRight);
    connectSelection(LeftListView, &MainDlg::slotLeftSelectionChanged);
    connect(LeftChdirToolButton, &QToolButton::clicked, this, &MainDlg::slotChdirLeft);
    connect(RightChdirToolButton, &QToolButton::clicked, this, &MainDlg::slotChdirRight);
    connect(RightDeleteToolButton, &QToolButton::clicked, this, &MainDlg::slotDeleteRight);
    connectSelection(RightListView, &MainDlg::slotRightSelectionChanged);
    connect(RightThumbnailButton, &QToolButton::clicked, this, &MainDlg::slotRightPrepThumbnails);
    connect(LeftThumbnailButton, &QToolButton::clicked, this, &MainDlg::slotLeftPrepThumbnails);
}

MainDlg::~MainDlg() = default;

// A list reports a newly selected item only; losing the selection (the
// other pane took it, or the list was cleared) is no selection of its own.
void MainDlg::connectSelection(QTreeWidget *list, void (MainDlg::*slot)(QTreeWidgetItem *))
{
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this, list, slot]() {
        const QList<QTreeWidgetItem *> selected = list->selectedItems();
        if (!selected.isEmpty())
            (this->*slot)(selected.first());
    });
}

bool MainDlg::event(QEvent *e)
{
    const bool result = QWidget::event(e);
    if (e->type() == QEvent::ApplicationFontChange)
        applyUnitFont();
    return result;
}

// The unit beside the free space stays large and bold whatever font the
// rest of the form gets.
void MainDlg::applyUnitFont()
{
    QFont unitFont(MTextLabel->font());
    unitFont.setPointSize(13);
    unitFont.setBold(true);
    MTextLabel->setFont(unitFont);
}

void MainDlg::slotChdirLeft()
{
    qWarning("MainDlg::slotChdirLeft(): Not implemented yet!");
}

void MainDlg::slotChdirRight()
{
    qWarning("MainDlg::slotChdirRight(): Not implemented yet!");
}

void MainDlg::slotCopyToRight()
{
    qWarning("MainDlg::slotCopyToRight(): Not implemented yet!");
}

void MainDlg::slotDeleteLeft()
{
    qWarning("MainDlg::slotDeleteLeft(): Not implemented yet!");
}

void MainDlg::slotDeleteRight()
{
    qWarning("MainDlg::slotDeleteRight(): Not implemented yet!");
}

void MainDlg::slotLeftSelectionChanged(QTreeWidgetItem *)
{
    qWarning("MainDlg::slotLeftSelectionChanged( QListViewItem * ): Not implemented yet!");
}

void MainDlg::slotLeftPrepThumbnails()
{
    qWarning("MainDlg::slotLeftPrepThumbnails(): Not implemented yet!");
}

void MainDlg::slotMkdirRight()
{
    qWarning("MainDlg::slotMkdirRight(): Not implemented yet!");
}

void MainDlg::slotRightPrepThumbnails()
{
    qWarning("MainDlg::slotRightPrepThumbnails(): Not implemented yet!");
}

void MainDlg::slotRightSelectionChanged(QTreeWidgetItem *)
{
    qWarning("MainDlg::slotRightSelectionChanged( QListViewItem *): Not implemented yet!");
}

void MainDlg::slotSetup()
{
    qWarning("MainDlg::slotSetup(): Not implemented yet!");
}

void MainDlg::slotShowFullPic()
{
    qWarning("MainDlg::slotShowFullPic(): Not implemented yet!");
}

void MainDlg::slotToggleMount()
{
    qWarning("MainDlg::slotToggleMount(): Not implemented yet!");
}
