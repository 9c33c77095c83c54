#ifndef FULLPIC_H
#define FULLPIC_H

#include "fullpicdlg.h"

#include <QByteArray>
#include <QPoint>
#include <QPointer>

class FolderEntry;
class LoadQueue;
class QCloseEvent;
class QImage;
class QKeyEvent;
class QMouseEvent;
class QString;
class TesselData;

// Shows one picture upright, stretched to the configured full-screen size;
// landscape pictures are first turned by the configured rotation.
// Created once by the browser and re-used. A swipe or the Left / Right
// keys ask for the neighbouring picture through stepRequested(); the owner
// answers with loadPicture(), or not at all at either end of its list.
// Asked through a LoadQueue, the view stays live while the picture decodes
// and shows only the picture asked for last.
class FullPic : public FullPicDlg
{
    Q_OBJECT
public:
    FullPic(QWidget *parent, const char *name, bool modal, TesselData *data);
    ~FullPic() override;

    // Puts the picture `name` of the open folder `dirFd` into the label; a
    // picture that cannot be shown leaves the label empty rather than
    // showing an earlier picture.
    void loadPicture(int dirFd, const QByteArray &name);
    // The same for the file a path leads to (links in it followed).
    void loadPicture(const QString &fileName);
    // The same, decoded on the queue's threads: the label is empty until
    // the picture arrives. A request still open is cancelled, by this and
    // by the view's closing.
    void loadPicture(LoadQueue &queue, const FolderEntry &entry);

signals:
    // -1 for the previous picture, +1 for the next.
    void stepRequested(int delta);

public slots:
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private slots:
    void slotOk();
    void slotCancel();

private:
    QSize fullScreenSize() const;
    void showImage(const QImage &image);
    void cancelWaiting();

    TesselData *data;
    QPointer<LoadQueue> queue;
    // The id of the request whose picture is to be shown; 0 for none.
    quint64 waiting = 0;
    bool pressed = false;
    QPoint pressedAt;
    // The farthest the finger went from where it pressed: a tap that
    // wandered off and came back is no tap.
    int travel = 0;
};

#endif
