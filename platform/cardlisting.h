#ifndef CARDLISTING_H
#define CARDLISTING_H

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

#include "folder.h"
#include "folderentry.h"

// What a source folder lists as pictures: its own matching files, then
// those of each camera folder it holds, with a RAW file and the JPEG of the
// same shot joined into one entry and the side files cameras and editors
// write beside a picture carried along with it. Under a card's DCIM every
// folder is a camera folder ("100CANON", "Camera", "100ANDRO") but MISC,
// hidden ones and thumbnail caches, and the folders video cameras write
// beside DCIM are listed after them. Elsewhere only DCF names count.
//
// Folders are opened one at a time while listing and only on use after
// (FolderSet): thousands of camera folders take no descriptor each.
class CardListing
{
public:
    enum class Result {
        Listed,
        // The folder itself cannot be read.
        Unreadable,
        // The process ran out of descriptors on the way: nothing is listed
        // rather than a part of the card, which "delete all" would take for
        // the whole.
        OutOfDescriptors
    };

    struct Listed
    {
        // The file shown and previewed (the JPEG of a pair), its RAW
        // partners and side files, in the folder they lie in.
        FolderEntry entry;
        // "" for the listed folder's own files, else the path of their
        // folder from it ("100CANON", "../PRIVATE/M4ROOT/CLIP").
        QByteArray subfolder;
        // The picture's own name with its partners' extensions
        // ("IMG_0001.JPG+CR2"), never its folder: at 240 pixels the part
        // that tells pictures apart comes first.
        QString shown;
        // The last part of `subfolder` as shown ("100CANON", "CLIP").
        QString folderShown() const;
        // The main file and its partners together.
        qint64 size = 0;
    };

    // Camera files (the kinds a list can show) that the patterns leave out,
    // by upper-case extension: "CR2" -> 12.
    using Hidden = QMap<QString, int>;

    // Lists `top` for the wildcard patterns (see Folder::extensionPatterns).
    // Camera folders that cannot be opened, links to folders and folders on
    // another device are left out. `hidden`, when given, counts what the
    // patterns hide in every folder listed.
    static Result list(const std::shared_ptr<const Folder> &top, const QStringList &patterns,
                       QList<Listed> *listed, Hidden *hidden = nullptr);

    // A DCF camera folder name: three digits 100-999 and five letters,
    // digits or underscores, in any case.
    static bool isCameraFolderName(const QByteArray &name);
    // A camera folder directly under DCIM: not hidden, not MISC (print
    // orders), not a thumbnail cache.
    static bool isDcimFolderName(const QByteArray &name);

    // Whether both folders lie on the same file system (a rename between
    // them is possible). False when either cannot be asked.
    static bool sameDevice(const Folder &a, const Folder &b);

private:
    class Run;
};

#endif
