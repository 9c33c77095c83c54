#include "destinationindex.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include "folder.h"

namespace {

// FAT keeps times in steps of two seconds.
const qint64 timeSlack = 2;
const long msdosMagic = 0x4d44; // MSDOS_SUPER_MAGIC

int extensionDot(const QByteArray &name)
{
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? dot : name.size();
}

} // namespace

bool DestinationIndex::read(const Folder &folder, const QList<QByteArray> &wanted)
{
    names.clear();
    found.clear();
    numberedNames.clear();
    struct statfs fs;
    caseBlind = ::fstatfs(folder.descriptor(), &fs) == 0 && long(fs.f_type) == msdosMagic;
    QList<QByteArray> all;
    if (!folder.entryNames(&all))
        return false;
    QSet<QByteArray> asked;
    asked.reserve(wanted.size());
    for (const QByteArray &name : wanted)
        asked.insert(key(name));
    names.reserve(all.size());
    for (const QByteArray &name : all) {
        const QByteArray own = key(name);
        names.insert(own);
        const QByteArray base = unnumbered(own);
        if (!asked.contains(own) && !asked.contains(base))
            continue;
        struct stat st;
        if (!folder.status(name, &st, false) || !S_ISREG(st.st_mode))
            continue;
        found.insert(own, {qint64(st.st_size), qint64(st.st_mtim.tv_sec)});
        if (!base.isEmpty())
            numberedNames[base].append(own);
    }
    return true;
}

QByteArray DestinationIndex::key(const QByteArray &name) const
{
    return caseBlind ? name.toLower() : name;
}

QByteArray DestinationIndex::unnumbered(const QByteArray &name)
{
    const int dot = extensionDot(name);
    int digits = dot;
    while (digits > 0 && name.at(digits - 1) >= '0' && name.at(digits - 1) <= '9')
        --digits;
    if (digits == dot || digits < 2 || name.at(digits - 1) != '-')
        return QByteArray();
    return name.left(digits - 1) + name.mid(dot);
}

QByteArray DestinationIndex::numbered(const QByteArray &name, int number)
{
    const int dot = extensionDot(name);
    return name.left(dot) + '-' + QByteArray::number(number) + name.mid(dot);
}

bool DestinationIndex::samePicture(qint64 size, qint64 seconds, const struct stat &source)
{
    const qint64 apart = seconds - qint64(source.st_mtim.tv_sec);
    return size == qint64(source.st_size) && apart <= timeSlack && apart >= -timeSlack;
}

bool DestinationIndex::taken(const QByteArray &name) const
{
    return names.contains(key(name));
}

bool DestinationIndex::sameAt(const QByteArray &name, const struct stat &source) const
{
    const auto it = found.constFind(key(name));
    return it != found.constEnd() && samePicture(it->size, it->seconds, source);
}

bool DestinationIndex::holdsSame(const QByteArray &name, const struct stat &source) const
{
    if (sameAt(name, source))
        return true;
    const auto others = numberedNames.constFind(key(name));
    if (others == numberedNames.constEnd())
        return false;
    for (const QByteArray &other : *others)
        if (sameAt(other, source))
            return true;
    return false;
}

void DestinationIndex::take(const QByteArray &name, const struct stat &source)
{
    const QByteArray own = key(name);
    names.insert(own);
    found.insert(own, {qint64(source.st_size), qint64(source.st_mtim.tv_sec)});
    const QByteArray base = unnumbered(own);
    if (!base.isEmpty())
        numberedNames[base].append(own);
}

int DestinationIndex::freeNumber(const QList<QByteArray> &wanted) const
{
    for (int number = 1;; ++number) {
        bool free = true;
        for (const QByteArray &name : wanted)
            free = free && !taken(numbered(name, number));
        if (free)
            return number;
    }
}
