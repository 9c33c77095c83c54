#include "folder.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int openDirectory(int base, const QByteArray &path, int extraFlags = 0)
{
    return ::openat(base, path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags);
}

} // namespace

Folder::Folder(const QString &path)
    : fd(openDirectory(AT_FDCWD, QFile::encodeName(path.isEmpty() ? QStringLiteral(".") : path))),
      openErrno(fd < 0 ? errno : 0)
{
}

Folder::Folder(const Folder &base, const QByteArray &relativePath, Links links)
    : fd(openDirectory(base.fd, relativePath.isEmpty() ? QByteArray(".") : relativePath,
                       links == Links::NotFollowed ? O_NOFOLLOW : 0)),
      openErrno(fd < 0 ? errno : 0)
{
}

Folder::Folder(int baseFd, const QByteArray &relativePath, int extraFlags)
    : fd(openDirectory(baseFd, relativePath.isEmpty() ? QByteArray(".") : relativePath,
                       extraFlags)),
      openErrno(fd < 0 ? errno : 0)
{
}

Folder::~Folder()
{
    if (fd >= 0)
        ::close(fd);
}

bool Folder::entryNames(QList<QByteArray> *names) const
{
    names->clear();
    // fdopendir takes the descriptor over; a duplicate keeps ours open and
    // its reading position shared, so rewind before reading.
    const int copy = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    DIR *dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    ::rewinddir(dir);
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names->append(name);
    }
    const int err = errno;
    ::closedir(dir);
    errno = err;
    return err == 0;
}

bool Folder::files(const QString &pattern, QList<File> *found) const
{
    return files(QStringList(pattern), found);
}

bool Folder::files(const QStringList &patterns, QList<File> *found) const
{
    found->clear();
    QList<QByteArray> names;
    if (!entryNames(&names))
        return false;
    files(names, patterns, found);
    return true;
}

void Folder::files(const QList<QByteArray> &names, const QStringList &patterns,
                   QList<File> *found) const
{
    found->clear();
    if (patterns.isEmpty())
        return;
    // One expression for all patterns: each name is matched once.
    QStringList alternatives;
    for (const QString &pattern : patterns)
        alternatives << QRegularExpression::wildcardToRegularExpression(pattern);
    const QRegularExpression match(alternatives.join('|'),
                                   QRegularExpression::CaseInsensitiveOption);
    for (const QByteArray &name : names) {
        struct stat st;
        if (name.startsWith('.') || !match.match(displayName(name)).hasMatch() ||
            !status(name, &st, false) || !S_ISREG(st.st_mode))
            continue;
        found->append({name, qint64(st.st_size)});
    }
    std::sort(found->begin(), found->end(), [](const File &a, const File &b) {
        const int order = displayName(a.name).compare(displayName(b.name));
        return order != 0 ? order < 0 : a.name < b.name;
    });
}

QStringList Folder::extensionPatterns(const QString &fileExt)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    QStringList patterns;
    for (const QString &extension : fileExt.split(separators, Qt::SkipEmptyParts))
        patterns << "*." + extension;
    if (patterns.isEmpty())
        patterns << "*." + fileExt;
    return patterns;
}

bool Folder::status(const QByteArray &name, struct stat *st, bool followLinks) const
{
    return ::fstatat(fd, name.constData(), st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

int Folder::open(const QByteArray &name, int flags, mode_t mode) const
{
    return ::openat(fd, name.constData(), flags | O_CLOEXEC, mode);
}

int Folder::openRegular(int dirFd, const QByteArray &name, bool followLinks)
{
    const int file = ::openat(dirFd, name.constData(),
                              O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (file < 0)
        return -1;
    struct stat st;
    if (::fstat(file, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(file);
        errno = EINVAL;
        return -1;
    }
    // Reads of a regular file never wait anyway; the flag goes for the
    // readers that check it.
    ::fcntl(file, F_SETFL, ::fcntl(file, F_GETFL) & ~O_NONBLOCK);
    return file;
}

bool Folder::isGone() const
{
    struct stat st;
    return fd < 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0 ||
           ::faccessat(fd, ".", F_OK, 0) != 0;
}

bool Folder::openFile(QFile *file, const QByteArray &name, QIODevice::OpenMode mode) const
{
    int flags = O_RDONLY;
    if (mode & QIODevice::WriteOnly)
        flags = (mode & QIODevice::ReadOnly) ? O_RDWR : O_WRONLY | O_CREAT | O_TRUNC;
    const int fileFd = open(name, flags, 0666);
    if (fileFd < 0)
        return false;
    if (!file->open(fileFd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fileFd);
        return false;
    }
    return true;
}

bool Folder::remove(const QByteArray &name) const
{
    return ::unlinkat(fd, name.constData(), 0) == 0;
}

bool Folder::rename(const QByteArray &from, const Folder &toFolder, const QByteArray &to) const
{
    return ::renameat(fd, from.constData(), toFolder.fd, to.constData()) == 0;
}

QString Folder::displayName(const QByteArray &name)
{
    return QString::fromUtf8(name);
}

bool Folder::isPlainPath(const QString &path)
{
    return !path.contains(QChar::ReplacementCharacter);
}
