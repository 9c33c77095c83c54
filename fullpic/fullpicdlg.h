#ifndef FULLPICDLG_H
#define FULLPICDLG_H

#include <QDialog>

class QLabel;
class QVBoxLayout;

// The full-screen view's form: one framed label that shows the picture.
class FullPicDlg : public QDialog
{
    Q_OBJECT
public:
    explicit FullPicDlg(QWidget *parent = nullptr, const char *name = nullptr,
                        bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~FullPicDlg() override;

    QLabel *PixmapLabel;

protected:
    QVBoxLayout *FullPicDlgLayout;
};

#endif
