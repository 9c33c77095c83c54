#include "widgets/messageboxfitter.h"

#include <QDialogButtonBox>
#include <QEvent>
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
    const int available = box->screen()->availableGeometry().width();
    if (box->layout()->totalMinimumSize().width() > available)
        buttons->setOrientation(Qt::Vertical);
    return false;
}
