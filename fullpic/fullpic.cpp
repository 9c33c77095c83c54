#include "fullpic.h"

#include <QCloseEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTransform>

#include <cstdlib>
#include <utility>
#include <fcntl.h>

#include "pictureloader.h"
#include "tesseldata.h"
#include "folder.h"

namespace {

const QByteArray pictureFormat("JPEG");

// Less movement than this between press and release is a tap, not a
// swipe: a finger on a touch screen never lifts where it landed.
constexpr int tapTravel = 10;

// Degrees folded into 0..359, so that -90 and 270 take the same path.
int normalisedDegrees(int degrees)
{
    return ((degrees % 360) + 360) % 360;
}

} // namespace

FullPic::FullPic(QWidget *parent, const char *name, bool modal, TesselData *settings)
    : FullPicDlg(parent, name, modal, Qt::WindowFlags()),
      data(settings)
{
    if (name)
        setWindowTitle(QString::fromLatin1(name));
    showMaximized();
}

FullPic::~FullPic() = default;

void FullPic::loadPicture(const QString &fileName)
{
    // The folder and name the path leads to, as bytes: a name that is not
    // UTF-8 stays the same file.
    char *real = ::realpath(QFile::encodeName(fileName).constData(), nullptr);
    const QByteArray resolved(real ? real : "");
    std::free(real);
    const int slash = resolved.lastIndexOf('/');
    const Folder folder(AT_FDCWD, slash <= 0 ? QByteArray("/") : resolved.left(slash), 0);
    loadPicture(folder.descriptor(), resolved.mid(slash + 1));
}

void FullPic::loadPicture(int dirFd, const QByteArray &name)
{
    const QImage image = dirFd < 0 ? QImage() : fullScreenImage(dirFd, name);
    // An empty label tells the user this picture failed; keeping the old
    // pixmap would pass off the previous photo as the one asked for.
    if (image.isNull())
        PixmapLabel->clear();
    else
        PixmapLabel->setPixmap(QPixmap::fromImage(image));
}

QImage FullPic::fullScreenImage(int dirFd, const QByteArray &name) const
{
    const QSize target =
        PictureLoader::boundedSize(QSize(data->fullScreenWidth, data->fullScreenHeight));
    if (!target.isValid())
        return QImage();
    const QSize upright = PictureLoader::pictureSize(dirFd, name, pictureFormat);
    if (!upright.isValid())
        return QImage();

    // The rotation turns landscape pictures to fit the screen; a portrait
    // picture stands upright already and fills the screen as it is.
    const int degrees =
        PictureLoader::isPortrait(upright) ? 0 : normalisedDegrees(data->fullScreenRotation);
    const QTransform rotation = QTransform().rotate(double(degrees));

    if (degrees % 90 == 0) {
        // A quarter turn swaps the sides: decode straight to the size that
        // becomes the target once turned, so the decoder does the scaling.
        const QSize decoded = (degrees % 180 == 0) ? target : target.transposed();
        QImage image = PictureLoader::loadScaled(dirFd, name, decoded, pictureFormat);
        if (image.isNull() || degrees == 0)
            return image;
        return image.transformed(rotation);
    }

    // Any other angle: the turned picture's bounding box is what gets
    // stretched, and its size is only known after turning. Decoded no
    // larger than that box can show (a turn widens a picture by up to 1.41),
    // so the box stays within the memory budget too.
    const int side = qMax(1, qMax(target.width(), target.height()) * 7 / 10);
    const QSize largest(side, side);
    const QSize ownSize = largest.boundedTo(upright) == upright
                              ? upright
                              : upright.scaled(largest, Qt::KeepAspectRatio);
    const QImage source = PictureLoader::loadScaled(dirFd, name, ownSize, pictureFormat);
    if (source.isNull())
        return QImage();
    const QImage turned = source.transformed(rotation, Qt::SmoothTransformation);
    if (turned.isNull())
        return QImage();
    return turned.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void FullPic::slotOk()
{
    accept();
}

void FullPic::slotCancel()
{
    reject();
}

void FullPic::closeEvent(QCloseEvent *event)
{
    // Closing the window is how the user leaves the view: it ends exec()
    // as a cancel, and the rejection already hides the dialog.
    slotCancel();
    event->ignore();
}

void FullPic::keyPressEvent(QKeyEvent *event)
{
    // The arrows of a keypad count as the arrows they are.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (plain ? event->key() : 0) {
    case Qt::Key_Left:
        emit stepRequested(-1);
        break;
    case Qt::Key_Right:
        emit stepRequested(1);
        break;
    case Qt::Key_Space:
        slotCancel();
        break;
    default:
        FullPicDlg::keyPressEvent(event);
        return;
    }
    event->accept();
}

void FullPic::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    pressed = true;
    pressedAt = event->position().toPoint();
    travel = 0;
}

void FullPic::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    travel = qMax(travel, (event->position().toPoint() - pressedAt).manhattanLength());
}

void FullPic::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // The release of a press that opened the view is none of its gestures.
    if (!std::exchange(pressed, false))
        return;
    const int dx = event->position().toPoint().x() - pressedAt.x();
    travel = qMax(travel, (event->position().toPoint() - pressedAt).manhattanLength());
    // A tap anywhere leaves the view: a touch screen without a window
    // manager offers neither a close button nor an Esc key. A swipe to
    // the left brings the next picture, as a page turned.
    if (travel < tapTravel)
        slotCancel();
    else if (3 * qAbs(dx) >= width())
        emit stepRequested(dx < 0 ? 1 : -1);
}
