#include "plainmessagebox.h"

QMessageBox::StandardButton PlainMessageBox::information(QWidget *parent, const QString &caption,
                                                         const QString &text,
                                                         QMessageBox::StandardButtons buttons,
                                                         QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::Information, caption, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int answer = box.exec();
    // Closed without a button (Escape with no Cancel): as the static call.
    return box.clickedButton() ? box.standardButton(box.clickedButton())
                               : QMessageBox::StandardButton(answer);
}
