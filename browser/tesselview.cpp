#include "browser/tesselview.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/vfs.h>

#include "browser/pictureloader.h"
#include "config/tesseldata.h"
#include "platform/systemcalls.h"

namespace {

const QColor mountedColour(255, 80, 80);
const QColor unmountedColour(80, 255, 80);

// Mount flags: the old magic number in the upper half, no options.
const unsigned long mountMagic = 0xC0ED0000UL;

// Existence and permission bits are not enough: root may see a directory
// as readable that its dropped capabilities no longer let it open.
bool directoryReadable(const QString &path)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

// Even decoded at an eighth of its size, a picture beyond this takes
// seconds and hundreds of megabytes; such a file is damaged or no photo.
const qint64 maxPicturePixels = qint64(1) << 28;

bool pictureFits(const QString &path)
{
    const QSize size = PictureLoader::pictureSize(path);
    return size.isValid() && qint64(size.width()) * size.height() <= maxPicturePixels;
}

} // namespace

TesselView::TesselView(QWidget *parent, TesselData *settings, const QString &dirPath,
                       const QString &nameFilter)
    : MainDlg(parent, nullptr, Qt::WindowFlags()),
      WidgetTools(),
      QDir(dirPath, nameFilter, QDir::IgnoreCase, QDir::Dirs | QDir::Files | QDir::Drives),
      data(settings),
      activeSide(0),
      mounted(false),
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
    destThumbTimer.stop();

    initMountState();
    listRight();
    activeSide = 0;
}

TesselView::~TesselView() = default;

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
    list->clear();
}

TesselView::ListFill TesselView::refillPane(QTreeWidget *list, const QString &dirPath)
{
    if (!exists() || !directoryReadable(dirPath))
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
        if (pictureFits(thumb) && loadedPic.load(thumb))
            return &loadedPic;
    }

    const QString path = dir + "/" + name;
    QImage small;
    if (pictureFits(path))
        small = PictureLoader::loadScaled(path, QSize(data->previewWidth, data->previewHeight));
    scaledPic = QPixmap::fromImage(small);
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
    QMessageBox::information(this, caption, tr("no success") + "\n" +
                                                QString::asprintf("%s\nerrno = %d", strerror(err), err),
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
