#include "browser/tesselview.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QImageWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/filecopy.h"
#include "imaging/pictureloader.h"
#include "cfgedit/cfgedit.h"
#include "config/tesseldata.h"
#include "config/tesseliocfg.h"
#include "filedialog/kwqtfileedit.h"
#include "fullpic/fullpic.h"
#include "platform/systemcalls.h"
#include "progress/progressedit.h"

namespace {

const QColor mountedColour(255, 80, 80);
const QColor unmountedColour(80, 255, 80);

// Mount flags: the old magic number in the upper half, no options.
const unsigned long mountMagic = 0xC0ED0000UL;

// One picture per tick keeps the screen responsive on the handheld.
const int thumbTickMs = 100;

// Bytes handed to the copy per block; the buffer has one byte more.
const std::size_t copyBlockSize = 4096;

QString failureText(const QString &systemText, int err)
{
    return QCoreApplication::translate("TesselView", "no success") + "\n" +
           QString("%1\nerrno = %2").arg(systemText).arg(err);
}

} // namespace

TesselView::TesselView(QWidget *parent, TesselData *settings, const QString &dirPath,
                       const QString &nameFilter)
    : MainDlg(parent, nullptr, Qt::WindowFlags()),
      WidgetTools(),
      QDir(dirPath, nameFilter, QDir::IgnoreCase, QDir::Dirs | QDir::Files | QDir::Drives),
      data(settings),
      activeSide(0),
      fullPic(nullptr),
      cfgDialog(nullptr),
      progress(nullptr),
      mounted(false),
      srcThumbItem(nullptr),
      srcThumbIndex(1),
      destThumbItem(nullptr),
      destThumbIndex(1),
      pictureBuffer(),
      deviceBuffer(),
      mountPointBuffer()
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
    srcThumbTimer.stop();
    connect(&srcThumbTimer, &QTimer::timeout, this, &TesselView::slotSaveNextSrcEntry);
    destThumbTimer.stop();
    connect(&destThumbTimer, &QTimer::timeout, this, &TesselView::slotSaveNextDestEntry);

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

void TesselView::emptyPane(QTreeWidget *list)
{
    // The items go now: a thumbnail run of this pane must not reach them.
    stopRunOf(list);
    list->clear();
}

TesselView::ListFill TesselView::refillPane(QTreeWidget *list, const QString &dirPath)
{
    if (!exists() || !SystemCalls::canOpenDirectory(dirPath))
        return FillUnreadable;
    const QFileInfoList entries = entryInfoList();
    emptyPane(list);
    if (entries.isEmpty())
        return FillEmpty;
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().isNull() || !entry.isFile())
            continue;
        new QTreeWidgetItem(list, {entry.fileName(), QString::number(entry.size())});
    }
    return FillDone;
}

bool TesselView::listLeft()
{
    setFilter(QDir::Files);
    setSorting(QDir::Name);
    setNameFilters({"*." + data->fileExt});
    setPath(data->leftPath);
    return refillPane(LeftListView, data->leftPath) == FillDone;
}

bool TesselView::listRight()
{
    slotGetFreeStorage();
    // The name filter stays as the last source listing or clearing left it.
    setFilter(QDir::Files);
    setSorting(QDir::Name);
    setPath(data->rightPath);
    const ListFill fill = refillPane(RightListView, data->rightPath);
    if (fill != FillUnreadable)
        RightListView->headerItem()->setText(0, data->rightPath);
    return fill == FillDone;
}

// The directory object is left on "/" with a filter that matches no
// picture; the next destination listing inherits that filter.
void TesselView::clearPane(QTreeWidget *list)
{
    setFilter(QDir::Files);
    setSorting(QDir::Name);
    setNameFilters({"*.xxx"});
    setPath("/");
    emptyPane(list);
}

void TesselView::clearLeft()
{
    clearPane(LeftListView);
}

void TesselView::clearRight()
{
    clearPane(RightListView);
}

void TesselView::slotLeftSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    activeSide = 1;
    if (QTreeWidgetItem *other = RightListView->currentItem())
        other->setSelected(false);
    RightDeleteToolButton->setEnabled(false);
    showPreview(item->text(0));
}

void TesselView::slotRightSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    activeSide = 2;
    if (QTreeWidgetItem *other = LeftListView->currentItem())
        other->setSelected(false);
    RightDeleteToolButton->setEnabled(true);
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

    QString dir;
    if (activeSide == 1)
        dir = data->leftPath;
    else if (activeSide == 2)
        dir = data->rightPath;
    else
        return;

    const QPixmap *picture = loadSmallPic(dir, name, true);
    if (!picture)
        return;
    currentPicture = dir + "/" + name;
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
    LeftDeleteToolButton->setEnabled(picturesListed);
    LeftChdirToolButton->setEnabled(picturesListed);
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
    data->leftPath = data->mountPoint + "/" + data->flashPath;
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
    if (listRight()) {
        RightDeleteToolButton->setEnabled(true);
    } else {
        RightDeleteToolButton->setEnabled(false);
        clearRight();
    }
}

void TesselView::showCallFailure(const QString &caption)
{
    const int err = errno;
    QMessageBox::information(this, caption,
                             failureText(QString::fromLocal8Bit(strerror(err)), err),
                             QMessageBox::Ok);
}

int TesselView::mountDevice()
{
    const QByteArray device = QFile::encodeName(data->device);
    const QByteArray mountPoint = QFile::encodeName(data->mountPoint);
    // A cut-off name would mount the wrong device or on the wrong directory.
    if (device.size() > maxMountArgLength || mountPoint.size() > maxMountArgLength) {
        QMessageBox::information(this, tr("mount flashdisk"),
                                 tr("no success") + "\n" +
                                     tr("device or mount point is longer than %1 characters")
                                         .arg(maxMountArgLength),
                                 QMessageBox::Ok);
        return -1;
    }
    memset(deviceBuffer, 0, sizeof deviceBuffer);
    memset(mountPointBuffer, 0, sizeof mountPointBuffer);
    snprintf(deviceBuffer, sizeof deviceBuffer, "%s", device.constData());
    snprintf(mountPointBuffer, sizeof mountPointBuffer, "%s", mountPoint.constData());

    if (SystemCalls::instance()->mount(deviceBuffer, mountPointBuffer, "vfat", mountMagic,
                                       nullptr) == 0)
        return 0;
    const int err = errno;
    printf("\nTesselView::mountDevice - dev is %s", deviceBuffer);
    printf("\nTesselView::mountDevice - mnt is %s", mountPointBuffer);
    fflush(stdout);
    errno = err;
    showCallFailure(tr("mount flashdisk"));
    return -1;
}

int TesselView::unmountDevice()
{
    if (SystemCalls::instance()->umount(QFile::encodeName(data->mountPoint).constData()) == 0)
        return 0;
    const int err = errno;
    fflush(stdout);
    errno = err;
    showCallFailure(tr("unmount flashdisk"));
    return -1;
}

void TesselView::slotGetFreeStorage()
{
    if (!mounted)
        return;
    struct statfs fs;
    memset(&fs, 0, sizeof fs);
    if (SystemCalls::instance()->statfs(QFile::encodeName(data->leftPath).constData(), &fs) != 0) {
        const int err = errno;
        printf("\nTesselView::slotGetFreeStorage call for %s", qPrintable(data->leftPath));
        fflush(stdout);
        errno = err;
        showCallFailure(tr("statfs call"));
        return;
    }
    // Cards of 2 GiB and more overflow 32 bits.
    const quint64 freeBytes = quint64(fs.f_bsize) * quint64(fs.f_bavail);
    if (freeBytes <= 9999) {
        freeText = QString::number(freeBytes);
        freeUnit = "B";
    } else if (freeBytes <= 9999999) {
        freeText = QString::asprintf("%.1f", double(freeBytes / 1024));
        freeUnit = "K";
    } else {
        freeText = QString::asprintf("%.1f", double(freeBytes / 1048576));
        freeUnit = "M";
    }
    showFreeStorage();
}

void TesselView::showFreeStorage()
{
    AvailMemLCDNumber->display(freeText);
    MTextLabel->setText(freeUnit);
}

TesselView::ThumbRun TesselView::sourceRun()
{
    return {LeftListView, &srcThumbTimer, &srcThumbItem, &srcThumbIndex, &data->leftPath};
}

TesselView::ThumbRun TesselView::destinationRun()
{
    return {RightListView, &destThumbTimer, &destThumbItem, &destThumbIndex, &data->rightPath};
}

void TesselView::slotLeftPrepThumbnails()
{
    stepSrcThumbs(true);
}

void TesselView::slotRightPrepThumbnails()
{
    stepDestThumbs(true);
}

void TesselView::slotSaveNextSrcEntry()
{
    if (!stepSrcThumbs(false))
        srcThumbTimer.stop();
}

void TesselView::slotSaveNextDestEntry()
{
    if (!stepDestThumbs(false))
        destThumbTimer.stop();
}

bool TesselView::stepSrcThumbs(bool start)
{
    return stepThumbs(sourceRun(), start, "save source thumbnails", &TesselView::saveThumbToSrc);
}

bool TesselView::stepDestThumbs(bool start)
{
    return stepThumbs(destinationRun(), start, "save dest thumbnails",
                      &TesselView::saveThumbToDest);
}

bool TesselView::stepThumbs(const ThumbRun &run, bool start, const char *caption,
                            void (TesselView::*save)(QTreeWidgetItem *, QPixmap *))
{
    if (start) {
        // A changing selection would load previews in between the steps.
        run.list->setEnabled(false);
        *run.item = run.list->topLevelItem(0);
        *run.index = 1;
        run.timer->start(thumbTickMs);
        progress->start(caption, run.list->topLevelItemCount());
        progress->show();
        return true;
    }

    QTreeWidgetItem *item = *run.item;
    if (!item) {
        hideProgressUnlessRunning(run.timer == &srcThumbTimer ? destThumbTimer : srcThumbTimer);
        run.list->setEnabled(true);
        return false;
    }
    const QString name = item->text(0);
    if (!name.isNull()) {
        // Always the picture itself: an old thumbnail may show an older one.
        if (QPixmap *picture = loadSmallPic(*run.dir, name, false)) {
            progress->update(name, *run.index);
            (this->*save)(item, picture);
        }
    }
    *run.item = run.list->topLevelItem(run.list->indexOfTopLevelItem(item) + 1);
    ++*run.index;
    return true;
}

void TesselView::stopRunOf(QTreeWidget *list)
{
    const bool source = list == LeftListView;
    (source ? srcThumbItem : destThumbItem) = nullptr;
    QTimer &timer = source ? srcThumbTimer : destThumbTimer;
    if (!timer.isActive())
        return;
    timer.stop();
    list->setEnabled(true);
    hideProgressUnlessRunning(source ? destThumbTimer : srcThumbTimer);
}

void TesselView::hideProgressUnlessRunning(const QTimer &otherRun)
{
    // The window is shared: it stays while the other pane's run goes on, so
    // that run can still be followed and cancelled.
    if (progress && !otherRun.isActive())
        progress->hide();
}

void TesselView::slotCloseRequest()
{
    srcThumbTimer.stop();
    destThumbTimer.stop();
    progress->hide();
    LeftListView->setEnabled(true);
    RightListView->setEnabled(true);
}

void TesselView::saveThumbToSrc(QTreeWidgetItem *item, QPixmap *picture)
{
    if (item && !item->text(0).isEmpty() && !saveThumb(data->leftPath, item, picture))
        reportUnsaved("saveThumbToSrc", thumbName(data->leftPath, item->text(0)), item->text(0));
}

void TesselView::saveThumbToDest(QTreeWidgetItem *item, QPixmap *picture)
{
    if (item && !item->text(0).isEmpty() && !saveThumb(data->rightPath, item, picture))
        reportUnsaved("saveThumbToDest", thumbName(data->rightPath, item->text(0)),
                      item->text(0));
}

// The PNG goes into a temporary file that replaces the thumbnail only once
// complete: a full card or an interrupted run never leaves a cut-off PNG
// that the preview would later show as the picture.
bool TesselView::saveThumb(const QString &dir, QTreeWidgetItem *item, const QPixmap *picture)
{
    // Usually there already; a failure shows as a failed save below.
    mkpath(thumbDir(dir));
    if (!picture)
        return false;
    QSaveFile file(thumbName(dir, item->text(0)));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "PNG");
    if (!writer.write(picture->toImage())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void TesselView::reportUnsaved(const char *who, const QString &path, const QString &name)
{
    printf("\nTesselView::%s - thumbnail not saveable (%s)\n", who, qPrintable(path));
    fflush(stdout);
    progress->setError(name + " : not saveable");
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
    if (LeftListView->selectedItems().isEmpty())
        return;
    copyFile();
    listRight();
}

void TesselView::copyFile()
{
    const QList<QTreeWidgetItem *> selected = LeftListView->selectedItems();
    if (selected.isEmpty())
        return;
    const QString name = selected.first()->text(0);
    if (name.isEmpty())
        return;

    const QString source = data->leftPath + "/" + name;
    if (!QFile(source).open(QIODevice::ReadOnly)) {
        printf("\nTesselView::ReadFile - file not found (%s)\n", qPrintable(source));
        fflush(stdout);
        return;
    }
    const QString destination = data->rightPath + "/" + name;
    // Opening the picture for writing would empty it before a byte is read.
    if (FileCopy::isSameFile(source, destination)) {
        QMessageBox::information(this, tr("copy file"),
                                 tr("source and destination are the same file,\nnothing copied"),
                                 QMessageBox::Ok);
        return;
    }
    if (QFileInfo::exists(destination) &&
        QMessageBox::information(this, tr("copy file"), tr("destination file exists!\noverwrite ?"),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;

    memset(pictureBuffer, 0, sizeof pictureBuffer);
    FileCopy copier(pictureBuffer, copyBlockSize);
    const FileCopy::Status status = copier.copy(source, destination);
    if (status == FileCopy::Copied)
        return;
    if (status == FileCopy::SourceUnreadable) {
        printf("\nTesselView::ReadFile - file not found (%s)\n", qPrintable(source));
        fflush(stdout);
    } else if (status == FileCopy::NotCreated) {
        printf("\nTesselView::WriteFile - file not writeable (%s)\n", qPrintable(destination));
        fflush(stdout);
    }
    // The destination is untouched: either the old file or none at all.
    QMessageBox::information(this, tr("copy file"),
                             failureText(copier.errorText(), copier.error()), QMessageBox::Ok);
}

void TesselView::slotDeleteLeft()
{
    const QString text = tr("You try to delete all files in the left dir\nAre you sure ?") +
                         "\n path is \n" + data->leftPath;
    if (QMessageBox::information(this, tr("delete all files"), text,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (QMessageBox::information(this, tr("delete all files"), tr("really ?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        for (int i = 0; i < LeftListView->topLevelItemCount(); ++i) {
            const QString path = data->leftPath + "/" + LeftListView->topLevelItem(i)->text(0);
            // What could not be removed shows in the relisting.
            ::unlink(QFile::encodeName(path).constData());
        }
    }
    listLeft();
}

void TesselView::slotDeleteRight()
{
    const QList<QTreeWidgetItem *> selected = RightListView->selectedItems();
    if (selected.isEmpty())
        return;
    const QString path = data->rightPath + "/" + selected.first()->text(0);
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

void TesselView::slotChdirLeft()
{
    const QString dir = KwQtFileEdit::chooseDir(this, "", data->leftPath);
    if (dir.isEmpty() || !acceptDirectory(dir))
        return;
    data->leftPath = dir;
    listLeft();
    LeftCopyToolButton->setEnabled(false);
    emit cfgChanged();
}

void TesselView::slotChdirRight()
{
    const QString dir = KwQtFileEdit::chooseDir(this, "", data->rightPath);
    if (dir.isEmpty() || !acceptDirectory(dir))
        return;
    data->rightPath = dir;
    listRight();
    emit cfgChanged();
}

void TesselView::slotMkdirRight()
{
    const QString dir = KwQtFileEdit::chooseDirMkDir(this, "", data->rightPath, "*");
    if (dir.isEmpty() || !acceptDirectory(dir))
        return;
    data->rightPath = dir;
    // Shown at once: a pane still listing the old folder would offer its
    // names for copies and deletes that now act on the new one.
    if (!listRight())
        RightDeleteToolButton->setEnabled(false);
    emit cfgChanged();
}
