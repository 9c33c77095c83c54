#ifndef PICTURECOPY_H
#define PICTURECOPY_H

#include <QCoreApplication>
#include <QString>

#include <cstddef>

class QWidget;

// Copies a picture for the browser: asks before it replaces a file, never
// copies a file onto itself, and tells the user what went wrong. Message
// boxes appear over `parent`.
class PictureCopy
{
    // Its texts belong to the browser's screen and are translated with it.
    Q_DECLARE_TR_FUNCTIONS(TesselView)

public:
    // The copy goes through `buffer` in blocks one byte shorter than it.
    PictureCopy(QWidget *parent, char *buffer, std::size_t bufferSize);

    // True once `to` holds the picture; false when it could not be read,
    // the user kept the old file, or the copy failed.
    bool copy(const QString &from, const QString &to);

private:
    QWidget *parent;
    char *buffer;
    std::size_t bufferSize;
};

#endif
