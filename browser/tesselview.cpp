#include "browser/tesselview.h"

#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <unistd.h>

#include "browser/copyjob.h"
#include "browser/folderchoice.h"
#include "browser/picturecopy.h"
#include "browser/sharedprogress.h"
#include "cfgedit/cfgedit.h"
#include "config/tesseldata.h"
#include "fullpic/fullpic.h"
#include "imaging/pictureloader.h"
#include "platform/folder.h"
#include "platform/reachablepath.h"
#include "platform/systemcalls.h"
#include "progress/progressedit.h"

namespace {

const QColor mountedColour(255, 80, 80);
const QColor unmountedColour(80, 255, 80);

} // namespace

TesselView::TesselView(QWidget *parent, TesselData *settings, const QString &dirPath,
                       const QString &nameFilter)
    : MainDlg(parent, nullptr, Qt::WindowFlags()),
      WidgetTools(),
      QDir(dirPath, nameFilter, QDir::IgnoreCase, QDir::Dirs | QDir::Files | QDir::Drives),
      data(settings),
      activeSide(0),
      source(1, {LeftListView, LeftDeleteToolButton, LeftChdirToolButton, LeftThumbnailButton},
             settings->leftPath, "save source thumbnails", "saveThumbToSrc", thumbnailer()),
      destination(2,
                  {RightListView, RightDeleteToolButton, RightChdirToolButton,
                   RightThumbnailButton},
                  settings->rightPath, "save dest thumbnails", "saveThumbToDest", thumbnailer()),
      srcThumbTimer(source.thumbnails().timer()),
      destThumbTimer(destination.thumbnails().timer()),
      fullPic(nullptr),
      cfgDialog(nullptr),
      progress(nullptr),
      runWindow(nullptr),
      mounted(false),
      pictureBuffer(),
      card(this),
      copyJob(new CopyJob(worker, pictureBuffer, sizeof pictureBuffer, this))
{
    source.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // While many pictures are copied nothing may change the panes or start
    // a thumbnail run.
    copyJob->holdWhileRunning({source.list, destination.list, LeftCopyToolButton,
                               LeftDeleteToolButton, LeftChdirToolButton, LeftThumbnailButton,
                               RightDeleteToolButton, RightChdirToolButton, RightMkdirToolButton,
                               RightThumbnailButton, MountPushButton, SetupToolButton});
    connect(copyJob, &CopyJob::finished, this, &TesselView::listRight);
    connect(copyJob, &CopyJob::failed, this,
            [this](const QString &, const QString &text) { copyBox(text); });
    setAllWidgetsFont("helvetica", 8);
    mounted = false;

    MountPushButton->setBackgroundRole(QPalette::Base);
    MountPushButton->setAutoFillBackground(true);
    MountPushButton->setPalette(QPalette(unmountedColour));

    for (QToolButton *button : {LeftDeleteToolButton, LeftChdirToolButton, LeftCopyToolButton,
                                ShowFullToolButton, RightDeleteToolButton})
        button->setEnabled(false);

    dirTimer.stop();
    dirTimer.setSingleShot(true);
    connect(&dirTimer, &QTimer::timeout, this, &TesselView::slotShowDir);

    connect(&card.service(), &UDisksClient::mountFinished, this, &TesselView::cardMounted);
    connect(&card.service(), &UDisksClient::mountPointFound, this, &TesselView::cardFoundMounted);
    initMountState();
    card.findMountPoint(data->device);
    listRight();

    // Both dialogs show themselves maximised when built; they wait hidden.
    fullPic = new FullPic(this, tr("FullPicture").toLatin1().constData(), true, data);
    fullPic->hide();
    cfgDialog = new cfgEdit(this, tr("ConfigEdit").toLatin1().constData(), true, data);
    cfgDialog->hide();
    progress = new progressEdit(nullptr, tr("Progress").toUtf8().constData());
    progress->resize(data->screenWidth - 20, progress->height());
    connect(progress, &progressEdit::closeRequest, this, &TesselView::slotCloseRequest);
    showRunsIn(progress);
    progress->hide();

    activeSide = 0;
}

TesselView::~TesselView()
{
    delete fullPic;
    fullPic = nullptr;
    delete cfgDialog;
    cfgDialog = nullptr;
    delete progress;
    progress = nullptr;
}

QString TesselView::thumbDir(const QString &dir) const
{
    return dir + "/" + data->thumbnailSuffix;
}

QString TesselView::thumbName(const QString &dir, const QString &name) const
{
    return thumbDir(dir) + "/" + name + ".png";
}

bool TesselView::listLeft()
{
    return source.refill("*." + data->fileExt);
}

bool TesselView::listRight()
{
    slotGetFreeStorage();
    const bool listed = destination.refill("*." + data->fileExt);
    destination.list->headerItem()->setText(0, destination.folder());
    return listed;
}

void TesselView::clearPane(PicturePane &pane)
{
    pane.empty();
}

void TesselView::takeSelection(PicturePane &pane, PicturePane &other)
{
    activeSide = pane.side;
    other.deselect();
}

PicturePane *TesselView::activePane()
{
    for (PicturePane *pane : {&source, &destination})
        if (pane->side == activeSide)
            return pane;
    return nullptr;
}

void TesselView::slotLeftSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    takeSelection(source, destination);
    destination.deleteButton->setEnabled(false);
    // With several selected, the preview shows the one last clicked.
    QTreeWidgetItem *current = source.list->currentItem();
    showPreview((current && current->isSelected() ? current : item)->text(0));
    if (source.selectedInOrder().size() > 1)
        LeftCopyToolButton->setEnabled(true);
}

void TesselView::slotRightSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    takeSelection(destination, source);
    destination.deleteButton->setEnabled(true);
    LeftCopyToolButton->setEnabled(false);
    showPreview(item->text(0));
}

void TesselView::showPreview(const QString &name)
{
    const QList<QToolButton *> pictureButtons = {LeftDeleteToolButton, LeftChdirToolButton,
                                                 LeftCopyToolButton, ShowFullToolButton};
    for (QToolButton *button : pictureButtons)
        button->setEnabled(false);
    // Nothing may act on a picture that is no longer shown.
    currentPicture = "";

    const PicturePane *pane = activePane();
    if (!pane)
        return;
    const QPixmap *picture = loadSmallPic(pane->folder(), name, true);
    if (!picture) {
        // The previous photo would pass for the selected one.
        PixmapLabel->clear();
        return;
    }
    // Full-screen reaches the very file the preview showed.
    previewed = std::make_unique<ReachablePath>(pane->folder(), name);
    currentPicture = previewed->path();
    PixmapLabel->setPixmap(*picture);
    for (QToolButton *button : pictureButtons)
        button->setEnabled(true);
}

QPixmap *TesselView::loadSmallPic(const QString &dir, const QString &name, bool useThumb)
{
    const QString path = dir + "/" + name;
    if (useThumb) {
        loadedPic = QPixmap::fromImage(ThumbnailFile::load(thumbName(dir, name), path));
        if (!loadedPic.isNull())
            return &loadedPic;
    }

    const ReachablePath picture(dir, name);
    scaledFrom = ThumbnailFile::stampOf(picture.path());
    scaledPic = QPixmap::fromImage(
        PictureLoader::loadPreview(picture.path(), QSize(data->previewWidth, data->previewHeight)));
    if (scaledPic.isNull()) {
        printf("\ntesselview::loadSmallPic(%s) - load didnt work", qPrintable(path));
        fflush(stdout);
        return nullptr;
    }
    return &scaledPic;
}

void TesselView::setMountLook(bool isMounted)
{
    MountPushButton->setText(isMounted ? tr("unmount disk") : tr("mount disk"));
    MountPushButton->setPalette(QPalette(isMounted ? mountedColour : unmountedColour));
}

void TesselView::setSourceButtons(bool picturesListed)
{
    source.deleteButton->setEnabled(picturesListed);
    source.chdirButton->setEnabled(picturesListed);
    if (!picturesListed)
        LeftCopyToolButton->setEnabled(false);
}

bool TesselView::initMountState()
{
    const bool listed = listLeft();
    mounted = listed || FlashCard::isMounted(data->mountPoint);
    setMountLook(mounted);
    setSourceButtons(listed);
    return mounted;
}

// The look and the flag follow what is mounted, not what the last call
// answered: a failed unmount leaves the card in place, a failed mount
// leaves nothing, and a card may have been mounted by someone else.
void TesselView::slotToggleMount()
{
    if (mounted) {
        clearLeft();
        // The service unmounts for sure or says why; the kernel call is
        // followed by a look at what it left.
        mounted = unmountDevice() != FlashCard::started && FlashCard::isMounted(cardMountPoint());
        setMountLook(mounted);
        setSourceButtons(mounted && listLeft());
        if (!listRight())
            clearRight();
        return;
    }
    const QString before = source.folder();
    source.setFolder(data->mountPoint + "/" + data->flashPath);
    const int result = mountDevice();
    if (result == FlashCard::started) {
        // The service answers later (cardMounted), which then writes the
        // settings.
        setMountLook(true);
        mounted = true;
        return;
    }
    mounted = FlashCard::isMounted(data->mountPoint);
    setMountLook(mounted);
    if (result == 0)
        emit cfgChanged();
    if (mounted) {
        dirTimer.start(700);
        return;
    }
    source.setFolder(before);
    listRight();
}

void TesselView::cardMounted(const QString &mountPoint)
{
    if (!mountPoint.isEmpty()) {
        cardFoundMounted(mountPoint);
        emit cfgChanged();
    }
    slotShowDir();
}

// The service knows best where the card is, whatever the settings say.
void TesselView::cardFoundMounted(const QString &mountPoint)
{
    if (mountPoint.isEmpty())
        return;
    source.setFolder(mountPoint + "/" + data->flashPath);
    if (initMountState())
        slotGetFreeStorage();
}

// Where the card is: the source folder without the picture folder on it
// (the service may have mounted it elsewhere than the setting says).
QString TesselView::cardMountPoint() const
{
    const QString onCard = "/" + data->flashPath;
    const QString folder = source.folder();
    return folder.endsWith(onCard) ? folder.left(folder.size() - onCard.size())
                                   : data->mountPoint;
}

void TesselView::slotShowDir()
{
    if (listLeft()) {
        setSourceButtons(true);
    } else {
        mounted = FlashCard::isMounted(cardMountPoint());
        setMountLook(mounted);
        setSourceButtons(false);
        clearLeft();
    }
    const bool picturesListed = listRight();
    destination.deleteButton->setEnabled(picturesListed);
    if (!picturesListed)
        clearRight();
}

int TesselView::mountDevice()
{
    return card.mount(data->device, data->mountPoint);
}

int TesselView::unmountDevice()
{
    return card.unmount(data->device, data->mountPoint);
}

void TesselView::slotGetFreeStorage()
{
    if (mounted && card.measureFree(source.folder(), freeText, freeUnit))
        showFreeStorage();
}

void TesselView::showFreeStorage()
{
    AvailMemLCDNumber->display(freeText);
    MTextLabel->setText(freeUnit);
}

bool TesselView::stepThumbs(PicturePane &pane, bool start)
{
    if (copyJob->isRunning())
        return false;
    if (!start)
        return pane.thumbnails().step();
    pane.thumbnails().start();
    return true;
}

PicturePane::Thumbnailer TesselView::thumbnailer()
{
    return {[this](const QString &dir, const QString &name) {
                return loadSmallPic(dir, name, false);
            },
            [this](const QString &dir, const QString &name, const QPixmap *picture) {
                return saveThumb(dir, name, picture);
            }};
}

// A failed thumbnail is printed before the window shows it.
void TesselView::showRunsIn(progressEdit *window)
{
    auto *shared = new SharedProgress(window, this);
    for (PicturePane *pane : {&source, &destination}) {
        connect(&pane->thumbnails(), &ThumbnailRun::saveFailed, this,
                [this, pane](const QString &name) { printUnsaved(*pane, name); });
        shared->follow(&pane->thumbnails());
    }
    runWindow = shared;
}

void TesselView::slotCloseRequest()
{
    // A copy of many has the window to itself; it hides the window when it
    // has stopped after the current file.
    if (copyJob->isRunning())
        copyJob->cancel();
    else
        runWindow->cancelAll();
}

// The run saves right after loading the same picture, so scaledFrom is
// that picture's stamp.
bool TesselView::saveThumb(const QString &dir, const QString &name, const QPixmap *picture)
{
    // Usually there already; a failure shows as a failed save below. A
    // relative folder counts from the working directory, as every other
    // path does, not from the folder last listed.
    QDir().mkpath(thumbDir(dir));
    return picture && ThumbnailFile::save(thumbName(dir, name), picture->toImage(), scaledFrom);
}

void TesselView::printUnsaved(const PicturePane &pane, const QString &name)
{
    printf("\nTesselView::%s - thumbnail not saveable (%s)\n", pane.thumbWriter,
           qPrintable(thumbName(pane.folder(), name)));
    fflush(stdout);
}

void TesselView::slotSetup()
{
    cfgDialog->setupEdit();
    cfgDialog->exec();
    cfgDialog->hide();
    if (cfgDialog->result() == QDialog::Accepted)
        emit cfgChanged();
}

void TesselView::slotShowFullPic()
{
    if (currentPicture.isEmpty())
        return;
    fullPic->loadPicture(currentPicture);
    fullPic->exec();
    fullPic->hide();
}

void TesselView::slotCopyToRight()
{
    const QList<QTreeWidgetItem *> selected = source.selectedInOrder();
    if (selected.isEmpty())
        return;
    if (selected.size() > 1) {
        copyMany(selected);
        return;
    }
    if (!PictureCopy::destinationUsable(destination.folder())) {
        copyBox(PictureCopy::unusableText(destination.folder()));
        return;
    }
    copyFile();
    listRight();
}

// The bytes go through the worker; this returns when they are in place.
void TesselView::copyFile()
{
    const QTreeWidgetItem *selected = source.selectedItem();
    if (!selected || selected->text(0).isEmpty())
        return;
    PictureCopy copier(worker, pictureBuffer, sizeof pictureBuffer);
    if (!copier.begin(source.folder(), destination.folder())) {
        copyBox(PictureCopy::unusableText(destination.folder()));
        return;
    }
    const QByteArray name = PicturePane::nativeName(selected);
    PictureCopy::Result result = copier.check(name);
    // Return alone never overwrites.
    if (result.outcome == PictureCopy::Exists &&
        !confirmed(tr("copy file"), tr("destination file exists!\noverwrite ?")))
        return;
    if (result.outcome != PictureCopy::Failed)
        result = copier.copy(name);
    if (result.outcome == PictureCopy::Failed && !result.quietAlone)
        copyBox(result.reason);
}

void TesselView::copyBox(const QString &text)
{
    QMessageBox::information(this, tr("copy file"), text, QMessageBox::Ok);
}

// One question for all: two buttons keep the box within a small screen, and
// Return alone, like Escape, overwrites nothing. The progress window is the
// job's alone: runs going on stop first.
void TesselView::copyMany(const QList<QTreeWidgetItem *> &items)
{
    QList<QByteArray> names;
    int existing = 0;
    for (const QTreeWidgetItem *item : items) {
        names.append(PicturePane::nativeName(item));
        existing += PictureCopy::exists(destination.folder(), names.last()) ? 1 : 0;
    }
    if (!PictureCopy::destinationUsable(destination.folder())) {
        copyBox(PictureCopy::unusableText(destination.folder()));
        return;
    }
    const bool replace =
        existing == 0 || confirmed(tr("copy file"), tr("%1 of the %2 files exist!\noverwrite ?")
                                                        .arg(existing)
                                                        .arg(names.size()));
    runWindow->cancelAll();
    copyJob->start(source.folder(), destination.folder(), names,
                   replace ? PictureCopy::Replace : PictureCopy::Keep, progress);
}

// Questions that delete default to No: Return alone never deletes.
bool TesselView::confirmed(const QString &caption, const QString &text)
{
    return QMessageBox::information(this, caption, text, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
}

void TesselView::slotDeleteLeft()
{
    const QString text = tr("You try to delete all files in the left dir\nAre you sure ?") +
                         "\n path is \n" + source.folder();
    if (!confirmed(tr("delete all files"), text))
        return;
    if (confirmed(tr("delete all files"), tr("really ?"))) {
        // What could not be removed shows in the relisting.
        const Folder folder(source.folder());
        for (int i = 0; i < source.list->topLevelItemCount(); ++i)
            folder.remove(PicturePane::nativeName(source.list->topLevelItem(i)));
    }
    listLeft();
}

void TesselView::slotDeleteRight()
{
    const QTreeWidgetItem *selected = destination.selectedItem();
    if (!selected)
        return;
    if (!confirmed(tr("delete file"), destination.pathOf(selected->text(0))))
        return;
    Folder(destination.folder()).remove(PicturePane::nativeName(selected));
    listRight();
}

void TesselView::slotChdirLeft()
{
    if (!FolderChoice::choose(this, source))
        return;
    listLeft();
    LeftCopyToolButton->setEnabled(false);
    emit cfgChanged();
}

void TesselView::slotChdirRight()
{
    if (!FolderChoice::choose(this, destination))
        return;
    listRight();
    emit cfgChanged();
}

void TesselView::slotMkdirRight()
{
    const QString dir = FolderChoice::chooseOrMake(this, destination.folder());
    if (dir.isEmpty())
        return;
    destination.setFolder(dir);
    // Shown at once: a pane still listing the old folder would offer its
    // names for copies and deletes that now act on the new one.
    if (!listRight())
        destination.deleteButton->setEnabled(false);
    emit cfgChanged();
}
