#ifndef FOCUSKEEPER_H
#define FOCUSKEEPER_H

#include <QList>
#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

// Keeps the keyboard with the program where no window manager hands it
// on. A window that shows takes the keyboard; when one hides (a message
// box answered, a dialog closed, a run's progress window done) it goes to
// the modal window still open or else to the window shown last that is
// still on the screen: the one that opened the box, or the progress
// window while that is up. Without this the X server gives the keyboard
// to the root window and Esc or Ctrl+Q do nothing until the user taps a
// window. Installed as an event filter on the application.
class FocusKeeper : public QObject
{
    Q_OBJECT
public:
    explicit FocusKeeper(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool takesKeyboard(const QWidget *window);
    void activateLater(QWidget *window);
    void handBack();

    // The windows on the screen, in the order they were shown.
    QList<QPointer<QWidget>> shown;
};

#endif
