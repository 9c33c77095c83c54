#ifndef FOLDERENTRY_H
#define FOLDERENTRY_H

#include <QByteArray>
#include <QList>

#include <memory>

#include "platform/folder.h"

// One picture as every command reaches it: the folder it was listed from,
// held open, and the name's bytes. Nothing looks it up again by the text a
// list shows. A RAW file beside its JPEG travels with it as a partner, and
// the camera's small side files (.THM, .XMP) as sidecars.
struct FolderEntry
{
    std::shared_ptr<const Folder> folder;
    QByteArray name;
    QList<QByteArray> partners;
    QList<QByteArray> sidecars;

    bool isValid() const { return folder && folder->isOpen() && !name.isEmpty(); }
    int dirFd() const { return folder ? folder->descriptor() : -1; }
    // See Folder::openRegular.
    int openRegular() const { return folder ? folder->openRegular(name) : -1; }
    // The files copied for it: the picture, then its RAW files.
    QList<QByteArray> files() const { return QList<QByteArray>{name} + partners; }
    // Its files in the order they are removed: sidecars, the RAW files,
    // then the picture itself, so that a failure leaves the picture listed.
    QList<QByteArray> removalOrder() const { return sidecars + partners + QList{name}; }
    // The same file name in the same folder.
    bool sameAs(const FolderEntry &other) const
    {
        return isValid() && other.isValid() && name == other.name &&
               (folder == other.folder || folder->isSameFolder(*other.folder));
    }
};

#endif
