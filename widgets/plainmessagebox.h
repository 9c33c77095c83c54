#ifndef PLAINMESSAGEBOX_H
#define PLAINMESSAGEBOX_H

#include <QMessageBox>

// QMessageBox::information with the text shown as plain text. The static
// call guesses rich text from the text itself, so a file named
// "a<br><br>b.jpg" would change what a question appears to say, and one
// naming an <img> would make the box read that file.
class PlainMessageBox
{
public:
    static QMessageBox::StandardButton
    information(QWidget *parent, const QString &caption, const QString &text,
                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
};

#endif
