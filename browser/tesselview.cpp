#include "tesselview.h"

#include <QFile>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeWidget>

#include "cardpanel.h"
#include "commandjobs.h"
#include "copiedmarks.h"
#include "copycommand.h"
#include "deletecommand.h"
#include "folderchoice.h"
#include "fullpicstepper.h"
#include "pictureselection.h"
#include "cfgedit.h"
#include "tesseldata.h"
#include "fullpic.h"
#include "folder.h"
#include "progressedit.h"
#include "plainmessagebox.h"

TesselView::TesselView(QWidget *parent, TesselData *settings, const QString &dirPath,
                       const QString &nameFilter)
    : MainDlg(parent, nullptr, Qt::WindowFlags()),
      WidgetTools(),
      QDir(dirPath, nameFilter, QDir::IgnoreCase, QDir::Dirs | QDir::Files | QDir::Drives),
      data(settings),
      card(settings),
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
      selection(new PictureSelection(source, destination, preview,
                                     {LeftDeleteToolButton, LeftChdirToolButton,
                                      LeftThumbnailButton, LeftCopyToolButton, ShowFullToolButton},
                                     this)),
      activeSide(selection->side),
      currentPicture(selection->picture),
      srcThumbTimer(source.thumbnails().timer()),
      destThumbTimer(destination.thumbnails().timer()),
      cardPanel(new CardPanel(this, card, settings, MountPushButton, AvailMemLCDNumber,
                              MTextLabel))
{
    source.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllWidgetsFont("helvetica", 8);
    dirTimer.setSingleShot(true);
    connect(&dirTimer, &QTimer::timeout, this, &TesselView::slotShowDir);
    connect(&card, &FlashCard::stateChanged, this, &TesselView::followCard);
    connect(&card, &FlashCard::freeSpaceChanged, this,
            [this](const QString &text, const QString &unit) { freeText = text, freeUnit = unit; });
    connect(cardPanel, &CardPanel::stayed, this, [this] { setSourceButtons(listLeft()); });
    connect(cardPanel, &CardPanel::releaseWanted, this, &TesselView::releaseCard);
    for (auto found : {&FlashCard::mountFinished, &FlashCard::mountPointFound})
        connect(&card, found, this, &TesselView::showCardAt);
    connect(&card, &FlashCard::mountFinished, this, &TesselView::cfgChanged);
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
    jobs = new CommandJobs(this, source, destination, worker, card, progress, runWindow,
                           commandControls());
    connect(jobs, &CommandJobs::holdChanged, selection, &PictureSelection::setHeld);
    connect(jobs, &CommandJobs::ended, this, &TesselView::jobEnded);
    connect(jobs, &CommandJobs::dropped, this, &TesselView::listRight);
    connect(&thumbWork, &ThumbnailWork::runFailed, this, &TesselView::tell);
    progress->hide();
}

TesselView::~TesselView()
{
    worker.stopAndWait();
    delete fullPic;
    delete cfgDialog;
    delete progress;
}

QString TesselView::thumbDir(const QString &dir) const { return dir + "/" + data->thumbnailSuffix; }

QString TesselView::thumbName(const QString &dir, const QString &name) const
{
    return thumbWork.thumbName(dir, name);
}

bool TesselView::listLeft()
{
    bool listed = source.refill(Folder::extensionPatterns(data->fileExt));
    if (!cardPanel->holds(source)) {
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
    return CopiedMarks::show(source, destination.folder(), card.volumeOf(source.folder()));
}

void TesselView::clearPane(PicturePane &pane)
{
    pane.empty();
    setHiddenCameraFiles(source.hidden());
    preview.forgetUnlessListed(pane);
}

void TesselView::slotLeftSelectionChanged(QTreeWidgetItem *item)
{
    selection->paneChanged(source, item);
}

void TesselView::slotRightSelectionChanged(QTreeWidgetItem *item)
{
    selection->paneChanged(destination, item);
}

void TesselView::showPreview(const PicturePane &pane, const FolderEntry &entry)
{
    selection->show(pane, entry);
}

QPixmap *TesselView::loadSmallPic(const QString &dir, const QString &name, bool useThumb)
{
    const FolderEntry entry{std::make_shared<const Folder>(dir), QFile::encodeName(name), {}, {}};
    return preview.load(entry, dir + "/" + name, useThumb);
}

void TesselView::tell(const QString &caption, const QString &text)
{
    PlainMessageBox::information(this, caption, text, QMessageBox::Ok);
}

void TesselView::setSourceButtons(bool picturesListed)
{
    selection->setListed(picturesListed && mounted);
}

bool TesselView::initMountState()
{
    const bool listed = listLeft();
    card.judgeListing(listed);
    setSourceButtons(listed);
    return mounted;
}

// The look and the source pane follow what the card says is mounted, not
// what was asked: a failed unmount leaves the card in place.
void TesselView::slotToggleMount()
{
    if (cardPanel->toggle() && !listRight())
        clearRight();
}

void TesselView::followCard(bool isMounted)
{
    mounted = isMounted;
    if (!mounted)
        releaseCard();
}

// The panes are listed once the card has settled.
void TesselView::showCardAt(const QString &folder)
{
    source.setFolder(folder);
    dirTimer.start(700);
}

void TesselView::slotShowDir()
{
    if (listLeft()) {
        setSourceButtons(true);
    } else {
        card.judgeListing(false);
        setSourceButtons(false);
        clearLeft();
        cardPanel->tellIfOffCard();
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
    setSourceButtons(false);
    if (preview.side() == source.side)
        preview.clear();
}

void TesselView::mountDevice() { cardPanel->mount(); }

void TesselView::unmountDevice() { cardPanel->unmount(); }

void TesselView::slotGetFreeStorage() { cardPanel->measureFree(source.folder()); }

void TesselView::showFreeStorage() { cardPanel->showFree(); }

bool TesselView::stepThumbs(PicturePane &pane, bool start)
{
    if (jobs->isRunning())
        return false;
    if (!start)
        return pane.thumbnails().step();
    pane.thumbnails().start();
    return true;
}

void TesselView::slotCloseRequest() { jobs->cancel(); }

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
    if (PicturePane *pane = selection->shownPane())
        FullPicStepper(*fullPic, loads).show(*pane, pane->shownItem());
}

void TesselView::jobEnded(bool sourcePane)
{
    if (!sourcePane)
        return void(listRight());
    // An emptied card offers nothing more to act on.
    setSourceButtons(listLeft());
    slotGetFreeStorage();
}

void TesselView::slotCopyToRight() { jobs->copy().copySelected(); }

void TesselView::copyFile() { jobs->copy().copyFile(); }

void TesselView::slotDeleteLeft() { jobs->remove().deleteAll(); }

void TesselView::slotDeleteRight() { jobs->remove().deleteSelected(); }

void TesselView::slotChdirLeft() { changeFolder(source, false); }

void TesselView::slotChdirRight() { changeFolder(destination, false); }

void TesselView::slotMkdirRight() { changeFolder(destination, true); }

// The new folder is listed at once: a pane still listing the old one would
// offer its names for copies and deletes that now act on the new one.
void TesselView::changeFolder(PicturePane &pane, bool make)
{
    const FolderChoice::Choice choice = make ? FolderChoice::chooseOrMake(this, pane.folder())
                                             : FolderChoice::choose(this, pane.folder());
    if (!choice.refusal.isEmpty())
        tell(tr("change directory"), choice.refusal);
    if (choice.dir.isEmpty())
        return;
    pane.setFolder(choice.dir);
    if (&pane == &source) {
        listLeft();
        cardPanel->tellIfOffCard();
        LeftCopyToolButton->setEnabled(false);
    } else if (!listRight()) {
        destination.deleteButton->setEnabled(false);
    }
    emit cfgChanged();
}
