#ifndef PICTURECOPY_H
#define PICTURECOPY_H

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <cstddef>

class QWidget;

// Copies a picture for the browser: asks before it replaces a file, never
// copies a file onto itself, and tells the user what went wrong. Files are
// named by their bytes, so that a name that is not UTF-8 is copied as the
// file it is. Message boxes appear over `parent`.
class PictureCopy
{
    // Its texts belong to the browser's screen and are translated with it.
    Q_DECLARE_TR_FUNCTIONS(TesselView)

public:
    // What happens to a file of the same name in the destination.
    enum Existing { Ask, Replace, Keep };
    enum Outcome { Copied, Skipped, Failed };

    // The copy goes through `buffer` in blocks one byte shorter than it.
    PictureCopy(QWidget *parent, char *buffer, std::size_t bufferSize);

    // Whether `folder` can take copies; a box says why not.
    bool destinationUsable(const QString &folder);

    Outcome copy(const QString &fromDir, const QString &toDir, const QByteArray &name,
                 Existing existing = Ask);

    // The failure box also names the file (for copies of many).
    void setNameInFailure(bool on) { nameInFailure = on; }

    static bool exists(const QString &dir, const QByteArray &name);

private:
    bool askOverwrite();
    void showFailure(const QString &text, const QString &name);

    QWidget *parent;
    char *buffer;
    std::size_t bufferSize;
    bool nameInFailure = false;
};

#endif
