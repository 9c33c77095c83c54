#include "platform/cardlisting.h"

#include "platform/folderentry.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sys/stat.h>

namespace {

// What follows the last dot, or "" without one; a leading dot starts no
// extension.
QByteArray extensionOf(const QByteArray &name)
{
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? name.mid(dot + 1) : QByteArray();
}

QByteArray baseOf(const QByteArray &name)
{
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? name.left(dot) : name;
}

bool extensionIn(const QByteArray &name, std::initializer_list<const char *> extensions)
{
    const QByteArray extension = extensionOf(name).toUpper();
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const char *known) { return extension == known; });
}

bool isJpegName(const QByteArray &name)
{
    return extensionIn(name, {"JPG", "JPEG"});
}

bool isSidecarName(const QByteArray &name)
{
    return extensionIn(name, {"THM", "XMP"});
}

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

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

bool CardListing::isRawName(const QByteArray &name)
{
    return extensionIn(name, {"CR2", "CR3", "NEF", "ARW", "DNG", "RAF", "ORF", "RW2", "PEF"});
}

bool CardListing::list(const std::shared_ptr<const Folder> &top, const QStringList &patterns,
                       QList<Listed> *listed)
{
    listed->clear();
    QList<QByteArray> names;
    if (!top || !top->entryNames(&names))
        return false;
    listFolder(top, QByteArray(), names, patterns, listed);

    QList<QByteArray> cameraFolders;
    std::copy_if(names.begin(), names.end(), std::back_inserter(cameraFolders),
                 isCameraFolderName);
    std::sort(cameraFolders.begin(), cameraFolders.end());
    for (const QByteArray &name : cameraFolders) {
        // A link is not followed: it could lead anywhere, even back here.
        auto folder = std::make_shared<const Folder>(*top, name, Folder::Links::NotFollowed);
        QList<QByteArray> inside;
        if (!folder->isOpen() || !folder->entryNames(&inside)) {
            const int err = folder->isOpen() ? errno : folder->openError();
            // A file or a link of that name is simply no camera folder.
            if (err != ENOTDIR && err != ELOOP) {
                printf("\nCardListing::list - cannot read %s: %s\n", name.constData(),
                       strerror(err));
                fflush(stdout);
            }
            continue;
        }
        listFolder(folder, name, inside, patterns, listed);
    }
    return true;
}

void CardListing::listFolder(const std::shared_ptr<const Folder> &folder,
                             const QByteArray &subfolder, const QList<QByteArray> &names,
                             const QStringList &patterns, QList<Listed> *listed)
{
    QList<Folder::File> files;
    folder->files(names, patterns, &files);

    // The first JPEG of each base name takes the RAW files of that name.
    QHash<QByteArray, int> jpegOfBase;
    QSet<QByteArray> mainBases;
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray &name = files[i].name;
        if (isJpegName(name) && !jpegOfBase.contains(baseOf(name)))
            jpegOfBase.insert(baseOf(name), i);
        if (!isSidecarName(name))
            mainBases.insert(baseOf(name));
    }
    QHash<int, QList<int>> partnersOf;
    QSet<int> joined;
    for (int i = 0; i < files.size(); ++i) {
        const int jpeg = jpegOfBase.value(baseOf(files[i].name), -1);
        if (jpeg >= 0 && isRawName(files[i].name)) {
            partnersOf[jpeg].append(i);
            joined.insert(i);
        }
    }
    // Sidecars need not match the patterns, but must be plain files.
    QHash<QByteArray, QList<QByteArray>> sidecarsOfBase;
    for (const QByteArray &name : names) {
        struct stat st;
        if (!name.startsWith('.') && isSidecarName(name) && mainBases.contains(baseOf(name)) &&
            folder->status(name, &st) && S_ISREG(st.st_mode))
            sidecarsOfBase[baseOf(name)].append(name);
    }

    const QString prefix =
        subfolder.isEmpty() ? QString() : Folder::displayName(subfolder) + QLatin1Char('/');
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray &name = files[i].name;
        // A sidecar that is listed itself goes with its picture instead.
        if (joined.contains(i) || (isSidecarName(name) && mainBases.contains(baseOf(name))))
            continue;
        Listed entry;
        entry.folder = folder;
        entry.subfolder = subfolder;
        entry.name = name;
        entry.shown = prefix + Folder::displayName(name);
        entry.size = files[i].size;
        for (int partner : partnersOf.value(i)) {
            entry.partners.append(files[partner].name);
            entry.shown += QLatin1Char('+') + Folder::displayName(extensionOf(files[partner].name));
            entry.size += files[partner].size;
        }
        entry.sidecars = sidecarsOfBase.value(baseOf(name));
        entry.sidecars.removeAll(name);
        std::sort(entry.sidecars.begin(), entry.sidecars.end());
        listed->append(entry);
    }
}

QList<QByteArray> CardListing::deleteOrder(const Listed &entry)
{
    return FolderEntry{entry.folder, entry.name, entry.partners, entry.sidecars}.removalOrder();
}

bool CardListing::sameDevice(const Folder &a, const Folder &b)
{
    struct stat first;
    struct stat second;
    return ::fstat(a.descriptor(), &first) == 0 && ::fstat(b.descriptor(), &second) == 0 &&
           first.st_dev == second.st_dev;
}
