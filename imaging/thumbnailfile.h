#ifndef THUMBNAILFILE_H
#define THUMBNAILFILE_H

#include <QByteArray>
#include <QImage>
#include <QString>

// A thumbnail PNG that knows which picture it was made from: it records the
// picture's modification time and size (as Thumb::MTime and Thumb::Size
// text, the freedesktop convention), and is shown only while both still
// match. A folder emptied and filled again, or a picture replaced, must
// never show the old picture's thumbnail under the new name.
//
// The thumbnail of the picture `name` in the open folder `dirFd` is
// `thumbFolder/<name>.png` there. A link in place of the thumbnail folder
// or of the PNG is never followed: reading finds no thumbnail, writing
// fails and touches nothing the link leads to.
class ThumbnailFile
{
public:
    // What a thumbnail records of its picture.
    struct Stamp
    {
        QString modified; // seconds since the epoch
        QString size;     // bytes
    };

    // The picture's stamp as it is now; read it before the picture is
    // decoded, so that a picture changed meanwhile never matches. Empty
    // when the name is no regular file (a link is not followed).
    static Stamp stampOf(int dirFd, const QByteArray &name);
    static Stamp stampOf(const QString &picturePath);

    // The picture's thumbnail when it belongs to the picture as that is
    // now; null otherwise. A thumbnail without the record (from earlier
    // versions) counts when it is not older than the picture's
    // modification and change times, unless the picture has an orientation
    // tag: those were written sideways.
    static QImage load(int dirFd, const QByteArray &thumbFolder, const QByteArray &name);
    static QImage load(const QString &thumbPath, const QString &picturePath);

    // Writes `image` as the thumbnail of the picture that had `stamp` as
    // its stamp, making the thumbnail folder when it is missing. The old
    // thumbnail is replaced only by a complete new one. False when it
    // cannot be written.
    static bool save(int dirFd, const QByteArray &thumbFolder, const QByteArray &name,
                     const QImage &image, const Stamp &stamp);
    static bool save(const QString &thumbPath, const QImage &image, const Stamp &stamp);
};

#endif
