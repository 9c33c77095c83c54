#ifndef MESSAGEBOXFITTER_H
#define MESSAGEBOXFITTER_H

#include <QObject>

class QEvent;

// Keeps every message box of the application within its screen's width.
// A row of three buttons is wider than the device's 240 pixels while the
// texts are narrow, so a box that would not fit gets its buttons stacked.
// Installed as an event filter on the application, it reaches the boxes
// that the static QMessageBox functions build and show themselves.
class MessageBoxFitter : public QObject
{
    Q_OBJECT
public:
    explicit MessageBoxFitter(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif
