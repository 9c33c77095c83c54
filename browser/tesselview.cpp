#include "tesselview.h"

#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>
#include <utility>

#include "copiedmarks.h"
#include "copycommand.h"
#include "deletecommand.h"
#include "folderchoice.h"
#include "fullpicstepper.h"
#include "sharedprogress.h"
#include "sourcecommands.h"
#include "thumbnailwork.h"
#include "cfgedit.h"
#include "tesseldata.h"
#include "fullpic.h"
#include "copyjob.h"
#include "pictureremoval.h"
#include "folder.h"
#include "udisksclient.h"
#include "progressedit.h"
#include "heldcontrols.h"
#include "plainmessagebox.h"

#include <QMessageBox>

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
      card(settings),
      activeSide(0),
      preview(PixmapLabel, loads, settings),
      thumbWork(loads, settings),
      source(1, {LeftListView, LeftDeleteToolButton, LeftChdirToolButton, LeftThumbnailButton},
             settings->leftPath, tr("save source thumbnails"), "saveThumbToSrc",
             thumbWork.thumbnailer(), true),
      destination(2,
                  {RightListView, RightDeleteToolButton, RightChdirToolButton,
                   RightThumbnailButton},
                  settings->rightPath, tr("save dest thumbnails"), "saveThumbToDest",
                  thumbWork.thumbnailer()),
      srcThumbTimer(source.thumbnails().timer()),
      destThumbTimer(destination.thumbnails().timer()),
      fullPic(nullptr),
      cfgDialog(nullptr),
      progress(nullptr),
      runWindow(nullptr),
      mounted(false),
      copyJob(new CopyJob(worker, this)),
      removal(new PictureRemoval(worker, this)),
      deleting(new DeleteCommand(this, source, destination, *removal, card)),
      sourceCommands(std::make_unique<SourceCommands>(
          QList<QToolButton *>{LeftDeleteToolButton, LeftChdirToolButton, LeftThumbnailButton},
          LeftCopyToolButton))
{
    source.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(deleting, &DeleteCommand::started, this, &TesselView::holdControls);
    connect(deleting, &DeleteCommand::finished, this, [this](bool sourcePane) {
        jobEnded();
        if (!sourcePane)
            return void(listRight());
        listLeft();
        slotGetFreeStorage();
    });
    setAllWidgetsFont("helvetica", 8);

    MountPushButton->setBackgroundRole(QPalette::Base);
    MountPushButton->setAutoFillBackground(true);
    setMountLook(false);

    for (QToolButton *button : {LeftDeleteToolButton, LeftChdirToolButton, LeftCopyToolButton,
                                ShowFullToolButton, RightDeleteToolButton})
        button->setEnabled(false);

    dirTimer.stop();
    dirTimer.setSingleShot(true);
    connect(&dirTimer, &QTimer::timeout, this, &TesselView::slotShowDir);

    connect(&card, &FlashCard::stateChanged, this, &TesselView::followCard);
    connect(&card, &FlashCard::freeSpaceChanged, this,
            [this](const QString &text, const QString &unit) {
                freeText = text;
                freeUnit = unit;
                showFreeStorage();
            });
    connect(&card, &FlashCard::failed, this, &TesselView::cardFailed);
    connect(&card, &FlashCard::removed, this, [this] { cardLostInJob = held != nullptr; });
    connect(&card, &FlashCard::mountFinished, this, [this](const QString &folder) {
        showCardAt(folder);
        emit cfgChanged();
    });
    connect(&card, &FlashCard::mountPointFound, this, &TesselView::showCardAt);
    for (PicturePane *pane : {&source, &destination})
        connect(pane, &PicturePane::entrySelected, this,
                [this, pane](const FolderEntry &entry) { showPreview(*pane, entry); });
    connect(&preview, &Preview::cleared, this, &TesselView::previewCleared);
    connect(&preview, &Preview::shownPicture, this, &TesselView::previewShown);
    initMountState();
    card.look();
    listRight();

    // Both dialogs show themselves maximised when built; they wait hidden.
    fullPic = new FullPic(this, tr("FullPicture").toLatin1().constData(), true, data);
    fullPic->hide();
    cfgDialog = new cfgEdit(this, tr("ConfigEdit").toLatin1().constData(), true, data);
    cfgDialog->hide();
    progress = new progressEdit(nullptr, tr("Progress").toUtf8().constData());
    progress->resize(data->screenWidth - 20, progress->height());
    connect(progress, &progressEdit::closeRequest, this, &TesselView::slotCloseRequest);
    thumbWork.follow(progress, source, destination);
    runWindow = thumbWork.shared();
    copying = new CopyCommand(this, source, destination, *copyJob, progress, runWindow, card);
    connect(copying, &CopyCommand::started, this, &TesselView::holdControls);
    connect(copying, &CopyCommand::refused, this, [this] { held.reset(); });
    connect(copying, &CopyCommand::dropped, this, &TesselView::listRight);
    connect(copying, &CopyCommand::finished, this, [this] {
        jobEnded();
        listRight();
    });
    connect(&thumbWork, &ThumbnailWork::runFailed, this, &TesselView::tell);
    progress->hide();

    activeSide = 0;
}

void TesselView::holdControls()
{
    held = std::make_unique<HeldControls>(QList<QWidget *>{
        source.list, destination.list, LeftCopyToolButton, LeftDeleteToolButton,
        LeftChdirToolButton, LeftThumbnailButton, RightDeleteToolButton, RightChdirToolButton,
        RightMkdirToolButton, RightThumbnailButton, MountPushButton, SetupToolButton,
        ShowFullToolButton});
}

TesselView::~TesselView()
{
    worker.stopAndWait();
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
    return thumbWork.thumbName(dir, name);
}

bool TesselView::listLeft()
{
    bool listed = source.refill(Folder::extensionPatterns(data->fileExt));
    if (source.ranOutOfDescriptors())
        tell(tr("list pictures"), tr("The card holds more folders than this program may open "
                                     "at once: nothing is listed."));
    // A link on a card made elsewhere could lead to the user's own
    // pictures, which "delete all" would then delete.
    sourceOffCard = !card.holdsAll(source.opened().get(), source.entries(), source.folder());
    if (sourceOffCard) {
        source.empty();
        listed = false;
    }
    setHiddenCameraFiles(source.hidden());
    preview.forgetUnlessListed(source);
    markCopied();
    return listed;
}

bool TesselView::listRight()
{
    slotGetFreeStorage();
    const bool listed = destination.refill(Folder::extensionPatterns(data->fileExt));
    destination.list->headerItem()->setText(0, destination.folder());
    preview.forgetUnlessListed(destination);
    markCopied();
    return listed;
}

int TesselView::markCopied()
{
    return CopiedMarks::show(source, destination.folder(), card.volume());
}

void TesselView::clearPane(PicturePane &pane)
{
    pane.empty();
    setHiddenCameraFiles(source.hidden());
    preview.forgetUnlessListed(pane);
}

void TesselView::previewCleared()
{
    currentPicture = "";
    ShowFullToolButton->setEnabled(false);
}

void TesselView::takeSelection(PicturePane &pane, PicturePane &other)
{
    activeSide = pane.side;
    other.deselect();
}

// The preview follows from the pane's entrySelected, which comes after.
void TesselView::slotLeftSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    takeSelection(source, destination);
    destination.deleteButton->setEnabled(false);
}

void TesselView::slotRightSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    takeSelection(destination, source);
    destination.deleteButton->setEnabled(true);
    LeftCopyToolButton->setEnabled(false);
}

void TesselView::showPreview(const PicturePane &pane, const FolderEntry &entry)
{
    for (QToolButton *button :
         {LeftDeleteToolButton, LeftChdirToolButton, LeftCopyToolButton, ShowFullToolButton})
        button->setEnabled(false);
    // Nothing may act on a picture that is no longer shown.
    currentPicture = "";
    // With several selected, the preview shows the one last clicked.
    preview.showSelected(pane, Folder::displayName(entry.name));
    if (&pane == &source && source.selectedInOrder().size() > 1)
        sourceCommands->offer(true, destination.folder());
}

void TesselView::previewShown(const QString &path)
{
    currentPicture = path;
    // A job holds the buttons; they come back as they were when it ends.
    if (held)
        return;
    ShowFullToolButton->setEnabled(true);
    sourceCommands->offer(true, destination.folder());
}

QPixmap *TesselView::loadSmallPic(const QString &dir, const QString &name, bool useThumb)
{
    const FolderEntry entry{std::make_shared<const Folder>(dir), QFile::encodeName(name), {}, {}};
    return preview.load(entry, dir + "/" + name, useThumb);
}

void TesselView::setMountLook(bool isMounted)
{
    MountPushButton->setText(isMounted ? tr("unmount disk") : tr("mount disk"));
    MountPushButton->setPalette(QPalette(isMounted ? mountedColour : unmountedColour));
}

void TesselView::tell(const QString &caption, const QString &text)
{
    PlainMessageBox::information(this, caption, text, QMessageBox::Ok);
}

void TesselView::setSourceButtons(bool picturesListed)
{
    sourceCommands->setListed(picturesListed && mounted);
}

bool TesselView::initMountState()
{
    const bool listed = listLeft();
    card.judgeListing(listed);
    setMountLook(mounted);
    setSourceButtons(listed);
    return mounted;
}

// The look and the source pane follow what the card says is mounted, not
// what was asked: a failed unmount leaves the card in place.
void TesselView::slotToggleMount()
{
    if (card.isBusy())
        return;
    if (mounted) {
        unmountDevice();
        if (!listRight())
            clearRight();
        return;
    }
    if (data->device.isEmpty() && card.canFindCard())
        card.findCard();
    else
        mountDevice();
}

void TesselView::followCard(bool isMounted)
{
    mounted = isMounted;
    setMountLook(mounted);
    if (mounted)
        return;
    releaseCard();
    setSourceButtons(false);
}

// The panes are listed once the card has settled.
void TesselView::showCardAt(const QString &folder)
{
    source.setFolder(folder);
    dirTimer.start(700);
}

void TesselView::cardFailed(FlashCard::Error error, const QVariant &data)
{
    const QString caption = error == FlashCard::UnmountFailed     ? tr("unmount flashdisk")
                            : error == FlashCard::FreeSpaceFailed ? tr("statfs call")
                                                                  : tr("mount flashdisk");
    const int err = data.toInt();
    QString text = tr("no success") + "\n";
    if (error == FlashCard::NoCardFound)
        text = UDisksClient::noCardText();
    else if (error == FlashCard::NameTooLong)
        text += tr("device or mount point is longer than %1 characters").arg(err);
    else if (data.typeId() == QMetaType::Int)
        text = FlashCard::failureText(QString::fromLocal8Bit(strerror(err)), err);
    else
        text += data.toString();
    tell(caption, text);
    // The card stayed: its pictures are shown again.
    if (error == FlashCard::UnmountFailed && mounted)
        setSourceButtons(listLeft());
}

void TesselView::tellIfOffCard()
{
    if (sourceOffCard)
        tell(tr("mount flashdisk"), tr("the picture folder is not on the card"));
}

void TesselView::slotShowDir()
{
    if (listLeft()) {
        setSourceButtons(true);
    } else {
        card.judgeListing(false);
        setSourceButtons(false);
        clearLeft();
        tellIfOffCard();
    }
    const bool picturesListed = listRight();
    destination.deleteButton->setEnabled(picturesListed);
    if (!picturesListed)
        clearRight();
}

void TesselView::releaseCard()
{
    worker.stopAndWait();
    loads.stopAndWait();
    clearLeft();
    if (preview.side() == source.side)
        preview.clear();
}

void TesselView::mountDevice()
{
    card.mount();
}

// Nothing of the card may stay open, or the kernel refuses: busy.
void TesselView::unmountDevice()
{
    releaseCard();
    setSourceButtons(false);
    card.unmount();
}

void TesselView::slotGetFreeStorage()
{
    if (mounted)
        card.measureFree(source.folder());
}

void TesselView::showFreeStorage()
{
    AvailMemLCDNumber->display(freeText);
    MTextLabel->setText(freeUnit);
}

bool TesselView::stepThumbs(PicturePane &pane, bool start)
{
    if (copyJob->isRunning() || removal->isRunning())
        return false;
    if (!start)
        return pane.thumbnails().step();
    pane.thumbnails().start();
    return true;
}

void TesselView::slotCloseRequest()
{
    // A copy of many has the window to itself; it hides the window when it
    // has stopped after the current file.
    if (copyJob->isRunning()) {
        copyJob->cancel();
    } else if (removal->isRunning()) {
        removal->cancel();
    } else {
        runWindow->cancelAll();
        worker.cancelAll();
    }
}

void TesselView::slotSetup()
{
    cfgDialog->setCardMountPoint(mounted ? card.mountPoint() : QString());
    cfgDialog->setupEdit();
    cfgDialog->exec();
    cfgDialog->hide();
    if (cfgDialog->result() == QDialog::Accepted)
        emit cfgChanged();
}

void TesselView::slotShowFullPic()
{
    PicturePane *pane = activeSide == source.side        ? &source
                        : activeSide == destination.side ? &destination
                                                         : nullptr;
    if (currentPicture.isEmpty() || !preview.isShown() || !pane || !pane->shownItem())
        return;
    FullPicStepper(*fullPic, loads).show(*pane, pane->shownItem());
}

void TesselView::jobEnded()
{
    held.reset();
    sourceCommands->refresh();
    // Cancelled with the card, a job may have stopped without a word.
    if (std::exchange(cardLostInJob, false))
        tell(tr("mount flashdisk"), tr("The card is gone: the command may not have finished."));
    // A run that ended meanwhile gave its list back; the hold must not take
    // it again.
    for (PicturePane *pane : {&source, &destination})
        if (!pane->thumbnails().isRunning())
            pane->list->setEnabled(true);
    // So does a preview that came in meanwhile.
    if (!currentPicture.isEmpty())
        previewShown(currentPicture);
}

void TesselView::slotCopyToRight() { copying->copySelected(); }

void TesselView::copyFile() { copying->copyFile(); }

void TesselView::slotDeleteLeft() { deleting->deleteAll(markCopied()); }

void TesselView::slotDeleteRight() { deleting->deleteSelected(); }

bool TesselView::takeFolder(const FolderChoice::Choice &choice, PicturePane &pane)
{
    if (!choice.refusal.isEmpty())
        tell(tr("change directory"), choice.refusal);
    if (choice.dir.isEmpty())
        return false;
    pane.setFolder(choice.dir);
    return true;
}

void TesselView::slotChdirLeft()
{
    if (!takeFolder(FolderChoice::choose(this, source.folder()), source))
        return;
    listLeft();
    tellIfOffCard();
    LeftCopyToolButton->setEnabled(false);
    emit cfgChanged();
}

void TesselView::slotChdirRight()
{
    if (!takeFolder(FolderChoice::choose(this, destination.folder()), destination))
        return;
    listRight();
    emit cfgChanged();
}

void TesselView::slotMkdirRight()
{
    if (!takeFolder(FolderChoice::chooseOrMake(this, destination.folder()), destination))
        return;
    // Shown at once: a pane still listing the old folder would offer its
    // names for copies and deletes that now act on the new one.
    if (!listRight())
        destination.deleteButton->setEnabled(false);
    emit cfgChanged();
}
