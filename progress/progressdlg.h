#ifndef PROGRESSDLG_H
#define PROGRESSDLG_H

#include <QWidget>

class QLabel;
class QProgressBar;
class QVBoxLayout;

// The progress window's form: a bar, a line for the file being processed
// and the time to go, and a line for the last error. Layout only; the
// behaviour lives in progressEdit.
class ProgressDlg : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressDlg(QWidget *parent = nullptr, const char *name = nullptr,
                         Qt::WindowFlags fl = {});

    QProgressBar *ProgressBar;
    QLabel *TimeLabel;
    QLabel *ErrorLabel;

protected:
    QVBoxLayout *topLayout;
    QVBoxLayout *innerLayout;
};

#endif
