#ifndef CARDLISTING_H
#define CARDLISTING_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

#include "platform/folder.h"

// What a source folder lists as pictures: its own matching files, then
// those of each camera folder it holds ("100CANON", "101CANON", ... as
// cameras name them), with a RAW file and the JPEG of the same shot joined
// into one entry and the small files cameras and editors write beside a
// picture (.THM, .XMP) carried along with it.
class CardListing
{
public:
    struct Listed
    {
        // The folder the files lie in: the listed folder or a camera folder
        // below it, held open for as long as the entry lives.
        std::shared_ptr<const Folder> folder;
        // "" for the listed folder's own files, else the camera folder's name.
        QByteArray subfolder;
        // The file shown and previewed: the JPEG of a pair.
        QByteArray name;
        // The RAW files of a pair; empty for a single file.
        QList<QByteArray> partners;
        // .THM and .XMP files of the same base name, in that folder.
        QList<QByteArray> sidecars;
        // "IMG_0001.JPG", "IMG_0001.JPG+CR2", "100CANON/IMG_0001.JPG".
        QString shown;
        // The main file and its partners together.
        qint64 size = 0;
    };

    // Lists `top` for the wildcard patterns (see Folder::extensionPatterns).
    // Camera folders that cannot be opened, and links to folders, are left
    // out. False when `top` itself cannot be read.
    static bool list(const std::shared_ptr<const Folder> &top, const QStringList &patterns,
                     QList<Listed> *listed);

    // A camera folder name: three digits 100-999 and five letters, digits
    // or underscores, in any case.
    static bool isCameraFolderName(const QByteArray &name);
    // A RAW file by its extension, in any case.
    static bool isRawName(const QByteArray &name);

    // The files of an entry in the order they are removed: sidecars, the
    // RAW files, then the main file, so that a failure leaves the picture
    // itself listed.
    static QList<QByteArray> deleteOrder(const Listed &entry);

    // Whether both folders lie on the same file system (a rename between
    // them is possible). False when either cannot be asked.
    static bool sameDevice(const Folder &a, const Folder &b);

private:
    static void listFolder(const std::shared_ptr<const Folder> &folder,
                           const QByteArray &subfolder, const QList<QByteArray> &names,
                           const QStringList &patterns, QList<Listed> *listed);
};

#endif
