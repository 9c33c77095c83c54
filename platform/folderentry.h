#ifndef FOLDERENTRY_H
#define FOLDERENTRY_H

#include <QByteArray>
#include <QList>

#include <memory>

#include "folder.h"
#include "folderset.h"

// One picture as every command reaches it: the folder it was listed from
// and the name's bytes. Nothing looks it up again by the text a list shows.
// A RAW file beside its JPEG travels with it as a partner, and the small
// side files cameras write beside it (.THM, .XMP, .WAV, .XML) as sidecars:
// copied, marked and deleted with it.
//
// The folder is opened only while it is used (see FolderSet): hold the
// pointer folder() returns for as long as its descriptor is needed.
struct FolderEntry
{
    FolderEntry() = default;
    // A file of the open folder `folder`.
    FolderEntry(std::shared_ptr<const Folder> folder, QByteArray name,
                QList<QByteArray> partners = {}, QList<QByteArray> sidecars = {})
        : FolderEntry(std::make_shared<const FolderSet>(std::move(folder)), -1, std::move(name),
                      std::move(partners), std::move(sidecars))
    {
    }
    // A file of the folder `index` of `set`.
    FolderEntry(std::shared_ptr<const FolderSet> set, int index, QByteArray name,
                QList<QByteArray> partners = {}, QList<QByteArray> sidecars = {})
        : name(std::move(name)), partners(std::move(partners)), sidecars(std::move(sidecars)),
          set(std::move(set)), index(index)
    {
    }

    QByteArray name;
    QList<QByteArray> partners;
    QList<QByteArray> sidecars;

    bool isValid() const { return set && !name.isEmpty() && set->holds(index); }
    // The folder, open; null with errno set when it is gone.
    std::shared_ptr<const Folder> folder() const
    {
        return set ? set->open(index) : nullptr;
    }
    // The folder's path below the top it was listed from, as the card
    // names it.
    QByteArray folderPath() const { return set ? set->path(index) : QByteArray(); }
    // See Folder::openRegular.
    int openRegular() const
    {
        const std::shared_ptr<const Folder> open = folder();
        return open ? open->openRegular(name) : -1;
    }
    // Every file that belongs to it, as it is copied: the picture, its RAW
    // files, then its side files.
    QList<QByteArray> files() const { return QList<QByteArray>{name} + partners + sidecars; }
    // Its files in the order they are removed: sidecars, the RAW files,
    // then the picture itself, so that a failure leaves the picture listed.
    QList<QByteArray> removalOrder() const { return sidecars + partners + QList{name}; }
    // The same file name in the same folder.
    bool sameAs(const FolderEntry &other) const
    {
        return isValid() && other.isValid() && name == other.name &&
               ((set == other.set && index == other.index) ||
                set->sameFolder(index, *other.set, other.index));
    }

private:
    std::shared_ptr<const FolderSet> set;
    int index = -1;
};

#endif
