#ifndef THUMBNAILFILE_H
#define THUMBNAILFILE_H

#include <QImage>
#include <QString>

// A thumbnail PNG that knows which picture it was made from: it records the
// picture's modification time and size (as Thumb::MTime and Thumb::Size
// text, the freedesktop convention), and is shown only while both still
// match. A folder emptied and filled again, or a picture replaced, must
// never show the old picture's thumbnail under the new name.
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
    // decoded, so that a picture changed meanwhile never matches.
    static Stamp stampOf(const QString &picturePath);

    // The thumbnail at `thumbPath` when it belongs to the picture at
    // `picturePath` as that is now; null otherwise. A thumbnail without the
    // record (from earlier versions) counts when it is not older than the
    // picture's modification and change times, unless the picture has an
    // orientation tag: those were written sideways.
    static QImage load(const QString &thumbPath, const QString &picturePath);

    // Writes `image` to `thumbPath` as the thumbnail of the picture that
    // had `picture` as its stamp. The old thumbnail is replaced only by a
    // complete new one. False when it cannot be written.
    static bool save(const QString &thumbPath, const QImage &image, const Stamp &picture);

    static Stamp stampOf(int dirFd, const QByteArray &name);
    static QImage load(int dirFd, const QByteArray &thumbFolder, const QByteArray &name);
    static bool save(int dirFd, const QByteArray &thumbFolder, const QByteArray &name,
                     const QImage &image, const Stamp &stamp);
};

#endif
