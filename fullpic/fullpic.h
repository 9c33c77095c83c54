#ifndef FULLPIC_H
#define FULLPIC_H

#include "fullpic/fullpicdlg.h"

class QByteArray;
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

    // Puts the picture into the label; a picture that cannot be shown
    // leaves the label empty rather than showing an earlier picture.
    void loadPicture(const QString &fileName);
    void loadPicture(int dirFd, const QByteArray &name);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private slots:
    void slotOk();
    void slotCancel();

private:
    QImage fullScreenImage(const QString &fileName) const;

    TesselData *data;
};

#endif
