#ifndef FULLPIC_H
#define FULLPIC_H

#include "fullpic/fullpicdlg.h"

#include <QByteArray>

class QCloseEvent;
class QImage;
class QMouseEvent;
class QString;
class TesselData;

// Shows one picture upright, stretched to the configured full-screen size;
// landscape pictures are first turned by the configured rotation.
// Created once by the browser and re-used.
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

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private slots:
    void slotOk();
    void slotCancel();

private:
    QImage fullScreenImage(int dirFd, const QByteArray &name) const;

    TesselData *data;
};

#endif
