#include "browser/tesselview.h"

#include <QFile>
#include <QImageWriter>
#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSaveFile>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <unistd.h>

#include "browser/picturecopy.h"
#include "browser/sharedprogress.h"
#include "cfgedit/cfgedit.h"
#include "config/tesseldata.h"
#include "config/tesseliocfg.h"
#include "filedialog/kwqtfileedit.h"
#include "fullpic/fullpic.h"
#include "imaging/pictureloader.h"
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
      card(this)
{
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

    initMountState();
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

void TesselView::aimDirectory(const QString &path)
{
    setFilter(QDir::Files);
    setSorting(QDir::Name);
    setPath(path);
}

TesselView::ListFill TesselView::refillPane(PicturePane &pane)
{
    if (!exists() || !SystemCalls::canOpenDirectory(pane.folder()))
        return FillUnreadable;
    const QFileInfoList entries = entryInfoList();
    pane.fill(entries);
    return entries.isEmpty() ? FillEmpty : FillDone;
}

bool TesselView::listLeft()
{
    setNameFilters({"*." + data->fileExt});
    aimDirectory(source.folder());
    return refillPane(source) == FillDone;
}

bool TesselView::listRight()
{
    slotGetFreeStorage();
    // The name filter stays as the last source listing or clearing left it.
    aimDirectory(destination.folder());
    const ListFill fill = refillPane(destination);
    if (fill != FillUnreadable)
        destination.list->headerItem()->setText(0, destination.folder());
    return fill == FillDone;
}

// The directory object is left on "/" with a filter that matches no
// picture; the next destination listing inherits that filter.
void TesselView::clearPane(PicturePane &pane)
{
    setNameFilters({"*.xxx"});
    aimDirectory("/");
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
    showPreview(item->text(0));
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
    if (!picture)
        return;
    currentPicture = pane->pathOf(name);
    PixmapLabel->setPixmap(*picture);
    for (QToolButton *button : pictureButtons)
        button->setEnabled(true);
}

QPixmap *TesselView::loadSmallPic(const QString &dir, const QString &name, bool useThumb)
{
    if (useThumb) {
        const QString thumb = thumbName(dir, name);
        loadedPic = QPixmap::fromImage(
            PictureLoader::loadScaled(thumb, PictureLoader::pictureSize(thumb)));
        if (!loadedPic.isNull())
            return &loadedPic;
    }

    const QString path = dir + "/" + name;
    scaledPic = QPixmap::fromImage(
        PictureLoader::loadScaled(path, QSize(data->previewWidth, data->previewHeight)));
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
    mounted = listLeft();
    setMountLook(mounted);
    setSourceButtons(mounted);
    return mounted;
}

void TesselView::slotToggleMount()
{
    if (mounted) {
        setMountLook(false);
        clearLeft();
        if (!listRight())
            clearRight();
        unmountDevice();
        mounted = false;
        return;
    }
    source.setFolder(data->mountPoint + "/" + data->flashPath);
    emit cfgChanged();
    setMountLook(true);
    mountDevice();
    dirTimer.start(700);
    mounted = true;
}

void TesselView::slotShowDir()
{
    if (listLeft()) {
        setSourceButtons(true);
    } else {
        setMountLook(false);
        setSourceButtons(false);
        clearLeft();
        mounted = false;
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
    return card.unmount(data->mountPoint);
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
    runWindow->cancelAll();
}

// The PNG goes into a temporary file that replaces the thumbnail only once
// complete: a full card or an interrupted run never leaves a cut-off PNG
// that the preview would later show as the picture.
bool TesselView::saveThumb(const QString &dir, const QString &name, const QPixmap *picture)
{
    // Usually there already; a failure shows as a failed save below.
    mkpath(thumbDir(dir));
    if (!picture)
        return false;
    QSaveFile file(thumbName(dir, name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "PNG");
    if (!writer.write(picture->toImage())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
    if (!source.selectedItem())
        return;
    copyFile();
    listRight();
}

void TesselView::copyFile()
{
    const QTreeWidgetItem *selected = source.selectedItem();
    if (!selected)
        return;
    const QString name = selected->text(0);
    if (name.isEmpty())
        return;

    PictureCopy(this, pictureBuffer, sizeof pictureBuffer)
        .copy(source.pathOf(name), destination.pathOf(name));
}

void TesselView::slotDeleteLeft()
{
    const QString text = tr("You try to delete all files in the left dir\nAre you sure ?") +
                         "\n path is \n" + source.folder();
    if (QMessageBox::information(this, tr("delete all files"), text,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (QMessageBox::information(this, tr("delete all files"), tr("really ?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        for (int i = 0; i < source.list->topLevelItemCount(); ++i) {
            const QString path = source.pathOf(source.list->topLevelItem(i)->text(0));
            // What could not be removed shows in the relisting.
            ::unlink(QFile::encodeName(path).constData());
        }
    }
    listLeft();
}

void TesselView::slotDeleteRight()
{
    const QTreeWidgetItem *selected = destination.selectedItem();
    if (!selected)
        return;
    const QString path = destination.pathOf(selected->text(0));
    if (QMessageBox::information(this, tr("delete file"), path,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    ::unlink(QFile::encodeName(path).constData());
    listRight();
}

// The folder becomes a setting that the settings file must give back
// unchanged at the next start.
bool TesselView::acceptDirectory(const QString &dir)
{
    if (TesselIOCfg::isStorable(dir))
        return true;
    QMessageBox::information(this, tr("change directory"),
                             tr("The path\n%1\ncontains a line break, \";\" or a character "
                                "the settings file cannot hold.\nThe directory stays as it was.")
                                 .arg(dir),
                             QMessageBox::Ok);
    return false;
}

bool TesselView::chooseFolder(PicturePane &pane)
{
    const QString dir = KwQtFileEdit::chooseDir(this, "", pane.folder());
    if (dir.isEmpty() || !acceptDirectory(dir))
        return false;
    pane.setFolder(dir);
    return true;
}

void TesselView::slotChdirLeft()
{
    if (!chooseFolder(source))
        return;
    listLeft();
    LeftCopyToolButton->setEnabled(false);
    emit cfgChanged();
}

void TesselView::slotChdirRight()
{
    if (!chooseFolder(destination))
        return;
    listRight();
    emit cfgChanged();
}

void TesselView::slotMkdirRight()
{
    const QString dir = KwQtFileEdit::chooseDirMkDir(this, "", destination.folder(), "*");
    if (dir.isEmpty() || !acceptDirectory(dir))
        return;
    destination.setFolder(dir);
    // Shown at once: a pane still listing the old folder would offer its
    // names for copies and deletes that now act on the new one.
    if (!listRight())
        destination.deleteButton->setEnabled(false);
    emit cfgChanged();
}
