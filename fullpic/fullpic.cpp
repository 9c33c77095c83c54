#include "fullpic.h"

#include <QCloseEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include <cstdlib>
#include <utility>
#include <fcntl.h>

#include "loadqueue.h"
#include "tesseldata.h"
#include "folder.h"

namespace {

// Less movement than this between press and release is a tap, not a
// swipe: a finger on a touch screen never lifts where it landed.
constexpr int tapTravel = 10;

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
    cancelWaiting();
    showImage(dirFd < 0 ? QImage()
                   : LoadQueue::fullScreenImage(dirFd, name, fullScreenSize(),
                                                data->fullScreenRotation));
}

void FullPic::loadPicture(LoadQueue &loads, const FolderEntry &entry)
{
    cancelWaiting();
    if (queue != &loads) {
        if (queue)
            disconnect(queue, nullptr, this, nullptr);
        queue = &loads;
        connect(queue, &LoadQueue::loaded, this,
                [this](quint64 id, const QImage &image) {
                    if (waiting && id == waiting) {
                        waiting = 0;
                        showImage(image);
                    }
                });
    }
    // Until the new picture arrives the label shows none: the old one would
    // pass for the picture asked for.
    PixmapLabel->clear();
    waiting = queue->request(entry, fullScreenSize(), LoadQueue::FullScreen,
                             data->fullScreenRotation);
}

QSize FullPic::fullScreenSize() const
{
    return QSize(data->fullScreenWidth, data->fullScreenHeight);
}

void FullPic::showImage(const QImage &image)
{
    // An empty label tells the user this picture failed; keeping the old
    // pixmap would pass off the previous photo as the one asked for.
    if (image.isNull())
        PixmapLabel->clear();
    else
        PixmapLabel->setPixmap(QPixmap::fromImage(image));
}

void FullPic::cancelWaiting()
{
    if (queue && waiting)
        queue->cancel(waiting);
    waiting = 0;
}

void FullPic::done(int result)
{
    // A picture still decoding for a closed view would only cost time.
    cancelWaiting();
    FullPicDlg::done(result);
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
