#include "focuskeeper.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

FocusKeeper::FocusKeeper(QObject *parent)
    : QObject(parent)
{
}

bool FocusKeeper::takesKeyboard(const QWidget *window)
{
    switch (window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
        return false;
    default:
        return !window->testAttribute(Qt::WA_ShowWithoutActivating) &&
               !(window->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    }
}

bool FocusKeeper::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !widget->isWindow() || !takesKeyboard(widget))
        return false;
    shown.removeAll(widget);
    shown.removeAll(nullptr);
    if (type == QEvent::Show) {
        shown.append(widget);
        activateLater(widget);
    } else {
        // After the toolkit has finished hiding, which may move the
        // keyboard itself.
        QTimer::singleShot(0, this, &FocusKeeper::handBack);
    }
    return false;
}

// The window system maps a window after the Show event; activating it then
// is what the toolkit itself waits for.
void FocusKeeper::activateLater(QWidget *window)
{
    QPointer<QWidget> target(window);
    QTimer::singleShot(0, this, [target] {
        if (!target || !target->isVisible() || target == QApplication::activeWindow())
            return;
        target->activateWindow();
        // Keys need a widget with focus; the window remembers its own.
        if (!target->focusWidget())
            target->setFocus();
    });
}

void FocusKeeper::handBack()
{
    QWidget *target = QApplication::activeModalWidget();
    for (int i = int(shown.size()) - 1; !target && i >= 0; --i) {
        if (shown[i] && shown[i]->isVisible())
            target = shown[i];
    }
    if (target)
        activateLater(target);
}
