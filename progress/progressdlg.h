#ifndef PROGRESSDLG_H
#define PROGRESSDLG_H

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

// The progress window's form: a bar, a line for the file being processed
// and the time to go, a line for the last error, and a Cancel button. Layout
// only; the behaviour lives in progressEdit. Cancel closes the window, so
// that a job can be stopped where no window manager offers a close button.
class ProgressDlg : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressDlg(QWidget *parent = nullptr, const char *name = nullptr,
                         Qt::WindowFlags fl = {});

    QProgressBar *ProgressBar;
    QLabel *TimeLabel;
    QLabel *ErrorLabel;
    QPushButton *CancelButton;

protected:
    QVBoxLayout *topLayout;
    QVBoxLayout *innerLayout;
};

#endif
