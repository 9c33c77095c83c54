#include "cardlisting.h"

#include "diagnostics.h"
#include "filekind.h"
#include "folderset.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isOutOfDescriptors(int err)
{
    return err == EMFILE || err == ENFILE;
}

// The entry of `names` that is `upper` in any case; empty when none is.
QByteArray nameLike(const QList<QByteArray> &names, const char *upper)
{
    for (const QByteArray &name : names) {
        if (name.toUpper() == upper)
            return name;
    }
    return QByteArray();
}

} // namespace

// One listing under way: the folders it found and what it listed.
class CardListing::Run
{
public:
    Run(const std::shared_ptr<const Folder> &top, const QStringList &patterns,
        QList<Listed> *listed, Hidden *hidden)
        : set(std::make_shared<FolderSet>(top)), patterns(patterns), listed(listed),
          hidden(hidden)
    {
    }

    Result list(const Folder &top);

private:
    void listSubfolder(const QByteArray &path);
    void listFolder(int index, const QByteArray &subfolder, const Folder &folder,
                    const QList<QByteArray> &names);
    void countHidden(const Folder &folder, const QList<QByteArray> &names,
                     const QList<Folder::File> &files);
    bool isCardDcim(const Folder &top);
    QList<QByteArray> videoFolders();
    // Notes a failure to open or read `path`.
    void noteFailure(int err, const QByteArray &path);

    const std::shared_ptr<FolderSet> set;
    const QStringList &patterns;
    QList<Listed> *const listed;
    Hidden *const hidden;
    bool outOfDescriptors = false;
};

QString CardListing::Listed::folderShown() const
{
    return Folder::displayName(subfolder.mid(subfolder.lastIndexOf('/') + 1));
}

bool CardListing::isCameraFolderName(const QByteArray &name)
{
    if (name.size() != 8 || name[0] < '1' || name[0] > '9')
        return false;
    for (int i = 1; i < 3; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return std::all_of(name.begin() + 3, name.end(),
                       [](char c) { return isAsciiAlnum(c) || c == '_'; });
}

bool CardListing::isDcimFolderName(const QByteArray &name)
{
    const QByteArray upper = name.toUpper();
    // Our own thumbnails of DCIM's files, and the caches phones keep there.
    return !name.isEmpty() && !name.startsWith('.') && upper != "MISC" &&
           upper != "_THUMBNAIL" && upper != "THUMBNAILS";
}

CardListing::Result CardListing::list(const std::shared_ptr<const Folder> &top,
                                      const QStringList &patterns, QList<Listed> *listed,
                                      Hidden *hidden)
{
    listed->clear();
    if (hidden)
        hidden->clear();
    if (!top || !top->isOpen())
        return top && isOutOfDescriptors(top->openError()) ? Result::OutOfDescriptors
                                                           : Result::Unreadable;
    const Result result = Run(top, patterns, listed, hidden).list(*top);
    if (result != Result::Listed) {
        listed->clear();
        if (hidden)
            hidden->clear();
    }
    return result;
}

CardListing::Result CardListing::Run::list(const Folder &top)
{
    QList<QByteArray> names;
    if (!top.entryNames(&names))
        return isOutOfDescriptors(errno) ? Result::OutOfDescriptors : Result::Unreadable;
    listFolder(-1, QByteArray(), top, names);

    const bool dcim = isCardDcim(top);
    const QList<QByteArray> videos = dcim ? videoFolders() : QList<QByteArray>();
    QList<QByteArray> cameraFolders;
    std::copy_if(names.begin(), names.end(), std::back_inserter(cameraFolders),
                 dcim ? isDcimFolderName : isCameraFolderName);
    std::sort(cameraFolders.begin(), cameraFolders.end());
    for (const QByteArray &name : cameraFolders + videos) {
        if (outOfDescriptors)
            break;
        listSubfolder(name);
    }
    return outOfDescriptors ? Result::OutOfDescriptors : Result::Listed;
}

void CardListing::Run::noteFailure(int err, const QByteArray &path)
{
    if (isOutOfDescriptors(err)) {
        outOfDescriptors = true;
        return;
    }
    // A file or a link of that name is simply no camera folder, nor is a
    // folder of another file system.
    if (err != ENOTDIR && err != ELOOP && err != EXDEV && err != ENOENT) {
        Diagnostics::print("\nCardListing::list - cannot read " + QByteArray(path.constData()) +
                           ": " + strerror(err) + "\n");
    }
}

void CardListing::Run::listSubfolder(const QByteArray &path)
{
    const int index = set->add(path);
    const std::shared_ptr<const Folder> folder = index >= 0 ? set->open(index) : nullptr;
    QList<QByteArray> inside;
    if (!folder || !folder->entryNames(&inside)) {
        noteFailure(errno, path);
        return;
    }
    listFolder(index, path, *folder, inside);
}

// Which name the top folder has is asked of its parent, never of the path
// it was opened by.
bool CardListing::Run::isCardDcim(const Folder &top)
{
    const Folder parent(top, "..", Folder::Links::NotFollowed);
    QList<QByteArray> names;
    if (!parent.isOpen() || !parent.entryNames(&names)) {
        outOfDescriptors = isOutOfDescriptors(parent.isOpen() ? errno : parent.openError());
        return false;
    }
    const QByteArray dcim = nameLike(names, "DCIM");
    struct stat own, named;
    return !dcim.isEmpty() && ::fstat(top.descriptor(), &own) == 0 &&
           parent.status(dcim, &named, false) && own.st_dev == named.st_dev &&
           own.st_ino == named.st_ino;
}

// The paths from DCIM of the folders video cameras write beside it.
QList<QByteArray> CardListing::Run::videoFolders()
{
    QList<QByteArray> found;

    // Each step by the name the card gives it, in whatever case.
    const auto descend = [this](const QByteArray &from, const QList<const char *> &steps) {
        QByteArray path = from;
        for (const char *step : steps) {
            const Folder folder(*set->open(-1), path, Folder::Links::NotFollowed);
            QList<QByteArray> inside;
            if (!folder.isOpen() || !folder.entryNames(&inside)) {
                noteFailure(folder.isOpen() ? errno : folder.openError(), path);
                return QByteArray();
            }
            const QByteArray name = nameLike(inside, step);
            if (name.isEmpty())
                return QByteArray();
            path += "/" + name;
        }
        return path;
    };
    for (const QList<const char *> &steps :
         {QList<const char *>{"PRIVATE", "M4ROOT", "CLIP"},
          QList<const char *>{"PRIVATE", "AVCHD", "BDMV", "STREAM"}}) {
        const QByteArray path = descend("..", steps);
        if (!path.isEmpty())
            found.append(path);
    }
    const QByteArray mpRoot = descend("..", {"MP_ROOT"});
    if (!mpRoot.isEmpty()) {
        const Folder folder(*set->open(-1), mpRoot, Folder::Links::NotFollowed);
        QList<QByteArray> inside;
        if (!folder.isOpen() || !folder.entryNames(&inside)) {
            noteFailure(folder.isOpen() ? errno : folder.openError(), mpRoot);
        } else {
            std::sort(inside.begin(), inside.end());
            for (const QByteArray &name : inside) {
                if (!name.startsWith('.'))
                    found.append(mpRoot + "/" + name);
            }
        }
    }
    return found;
}

void CardListing::Run::listFolder(int index, const QByteArray &subfolder, const Folder &folder,
                                  const QList<QByteArray> &names)
{
    QList<Folder::File> files;
    folder.files(names, patterns, &files);
    if (hidden)
        countHidden(folder, names, files);

    // The first JPEG of each base name takes the RAW files of that name.
    QHash<QByteArray, int> jpegOfBase;
    QSet<QByteArray> mainBases;
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray &name = files[i].name;
        const FileKind::Kind kind = FileKind::of(name);
        if (kind == FileKind::Jpeg && !jpegOfBase.contains(FileKind::baseOf(name)))
            jpegOfBase.insert(FileKind::baseOf(name), i);
        if (kind != FileKind::Side)
            mainBases.insert(FileKind::baseOf(name));
    }
    QHash<int, QList<int>> partnersOf;
    QSet<int> joined;
    for (int i = 0; i < files.size(); ++i) {
        const int jpeg = jpegOfBase.value(FileKind::baseOf(files[i].name), -1);
        if (jpeg >= 0 && FileKind::of(files[i].name) == FileKind::Raw) {
            partnersOf[jpeg].append(i);
            joined.insert(i);
        }
    }
    // Side files need not match the patterns, but must be plain files.
    const auto ownerOf = [&mainBases](const QByteArray &side) {
        for (const QByteArray &base : FileKind::ownerBasesOf(side)) {
            if (mainBases.contains(base))
                return base;
        }
        return QByteArray();
    };
    QHash<QByteArray, QList<QByteArray>> sidecarsOfBase;
    for (const QByteArray &name : names) {
        struct stat st;
        if (name.startsWith('.') || FileKind::of(name) != FileKind::Side)
            continue;
        const QByteArray owner = ownerOf(name);
        if (!owner.isEmpty() && folder.status(name, &st, false) && S_ISREG(st.st_mode))
            sidecarsOfBase[owner].append(name);
    }

    for (int i = 0; i < files.size(); ++i) {
        const QByteArray &name = files[i].name;
        // A side file that is listed itself goes with its picture instead.
        if (joined.contains(i) || (FileKind::of(name) == FileKind::Side && !ownerOf(name).isEmpty()))
            continue;
        Listed entry;
        entry.subfolder = subfolder;
        entry.shown = Folder::displayName(name);
        entry.size = files[i].size;
        QList<QByteArray> partners;
        for (int partner : partnersOf.value(i)) {
            partners.append(files[partner].name);
            entry.shown += QLatin1Char('+') +
                           Folder::displayName(FileKind::extensionOf(files[partner].name));
            entry.size += files[partner].size;
        }
        QList<QByteArray> sidecars = sidecarsOfBase.value(FileKind::baseOf(name));
        sidecars.removeAll(name);
        std::sort(sidecars.begin(), sidecars.end());
        entry.entry = FolderEntry(set, index, name, partners, sidecars);
        listed->append(entry);
    }
}

void CardListing::Run::countHidden(const Folder &folder, const QList<QByteArray> &names,
                                   const QList<Folder::File> &files)
{
    QSet<QByteArray> shown;
    for (const Folder::File &file : files)
        shown.insert(file.name);
    for (const QByteArray &name : names) {
        struct stat st;
        if (name.startsWith('.') || shown.contains(name) ||
            !FileKind::isCameraKind(FileKind::of(name)) || !folder.status(name, &st, false) ||
            !S_ISREG(st.st_mode))
            continue;
        ++(*hidden)[QString::fromLatin1(FileKind::extensionOf(name).toUpper())];
    }
}

bool CardListing::sameDevice(const Folder &a, const Folder &b)
{
    struct stat first;
    struct stat second;
    return ::fstat(a.descriptor(), &first) == 0 && ::fstat(b.descriptor(), &second) == 0 &&
           first.st_dev == second.st_dev;
}
