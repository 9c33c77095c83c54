#include "messageboxfitter.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>

MessageBoxFitter::MessageBoxFitter(QObject *parent)
    : QObject(parent)
{
}

bool MessageBoxFitter::eventFilter(QObject *watched, QEvent *event)
{
    // Show reaches the filter before the box sizes itself in its showEvent.
    if (event->type() != QEvent::Show)
        return false;
    auto *box = qobject_cast<QMessageBox *>(watched);
    if (!box || !box->layout() || !box->screen())
        return false;
    auto *buttons = box->findChild<QDialogButtonBox *>();
    if (!buttons || buttons->orientation() == Qt::Vertical)
        return false;
    // The window manager's frame, where there is one, takes its share.
    const int frame = box->frameGeometry().width() - box->width();
    const int available = box->screen()->availableGeometry().width() - frame;
    QLayout *layout = box->layout();
    if (layout->totalMinimumSize().width() <= available)
        return false;
    buttons->setOrientation(Qt::Vertical);

    // On a narrow screen the box wraps any text wider than half the screen
    // to that half, a word or two a line; let it use the whole width first.
    auto *text = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!text || text->wordWrap())
        return false;
    layout->invalidate();
    const int natural = text->sizeHint().width();
    const int overflow = layout->totalMinimumSize().width() - available;
    text->setMinimumWidth(overflow > 0 ? natural - overflow : natural);
    return false;
}
