#include "importrecord.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder.h"
#include "replacementfile.h"
#include "volumeid.h"

namespace {

const QByteArray header = "tessel-imports\t1\n";
const QByteArray formatName = "tessel-imports\t";
const int fieldCount = 7;
const qint64 quarterHour = 15 * 60;
const qint64 day = 24 * 60 * 60;
// Readable where it costs nothing: folders keep their slashes, names their
// blanks.
const QByteArray keptPlain = "/ ";

QByteArray encoded(const QByteArray &bytes)
{
    return bytes.toPercentEncoding(keptPlain);
}

QByteArray decoded(QByteArrayView field)
{
    return field.contains('%') ? QByteArray::fromPercentEncoding(field.toByteArray())
                               : field.toByteArray();
}

// A name that leads out of the destination folder, or that the calls would
// cut short, is no name a copy was given.
bool plainFileName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

bool readAll(int fd, QByteArray *text)
{
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        text->append(chunk, got);
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

// What must come before a new line: the header in a new file, a line feed
// after a line an interrupted append left unfinished. False (EEXIST) for a
// file that is not a record.
bool prefixFor(int fd, qint64 size, QByteArray *prefix)
{
    if (size == 0) {
        *prefix = header;
        return true;
    }
    QByteArray start(formatName.size(), '\0');
    char last = '\n';
    if (::pread(fd, start.data(), size_t(start.size()), 0) != start.size() ||
        start != formatName) {
        errno = EEXIST;
        return false;
    }
    if (::pread(fd, &last, 1, off_t(size - 1)) != 1)
        return false;
    *prefix = last == '\n' ? QByteArray() : QByteArray("\n");
    return true;
}

} // namespace

const QByteArray ImportRecord::fileName = ".tessel-imports";

ImportRecord::ImportRecord(const Folder &folder)
    : destination(folder)
{
}

bool ImportRecord::CardFile::look(const Folder &where, const QByteArray &folderName,
                                  const QByteArray &name, const QByteArray &volume,
                                  CardFile *file)
{
    struct stat st;
    if (!where.status(name, &st, false) || !S_ISREG(st.st_mode))
        return false;
    *file = {VolumeId::normal(volume), folderName, name, qint64(st.st_size),
             qint64(st.st_mtim.tv_sec), st.st_dev, st.st_ino};
    return true;
}

bool ImportRecord::read()
{
    lines.clear();
    byCardName.clear();
    const int fd = destination.openRegular(fileName);
    if (fd < 0)
        return false;
    QByteArray text;
    const bool readable = readAll(fd, &text);
    ::close(fd);
    if (!readable || !text.startsWith(formatName))
        return false;
    const qsizetype expected = text.count('\n');
    lines.reserve(expected);
    byCardName.reserve(expected);
    Line line;
    for (qsizetype start = text.indexOf('\n') + 1; start > 0 && start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        if (decode(QByteArrayView(text).sliced(start, end - start), &line))
            add(std::move(line));
        start = end + 1;
    }
    return true;
}

void ImportRecord::add(Line line)
{
    // Lines written by the kernel's number and the service's text of the
    // same card compare equal.
    line.volume = VolumeId::normal(line.volume);
    // Keyed by the name alone, which the line already holds: no key of its
    // own to build for each of thousands of lines.
    byCardName.insert(line.cardName, int(lines.size()));
    lines.append(std::move(line));
}

bool ImportRecord::append(const Line &line)
{
    const int fd = destination.open(fileName, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW |
                                                  O_NONBLOCK | O_CLOEXEC,
                                    ReplacementFile::newFileMode(0666));
    if (fd < 0)
        return false;
    struct stat st;
    QByteArray prefix;
    bool written = fstat(fd, &st) == 0;
    if (written && !S_ISREG(st.st_mode)) {
        errno = EEXIST;
        written = false;
    }
    written = written && prefixFor(fd, st.st_size, &prefix) &&
              writeAll(fd, prefix + encode(line) + '\n') && fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    // A new file's name must survive a power cut as the copies' names do.
    if (written && st.st_size == 0)
        written = fsync(destination.descriptor()) == 0;
    if (!written) {
        errno = err;
        return false;
    }
    add(line);
    return true;
}

QByteArray ImportRecord::encode(const Line &line)
{
    return line.hash.toHex() + '\t' + QByteArray::number(line.size) + '\t' +
           QByteArray::number(line.time) + '\t' + encoded(VolumeId::normal(line.volume)) + '\t' +
           encoded(line.cardFolder) + '\t' + encoded(line.cardName) + '\t' +
           encoded(line.destinationName);
}

bool ImportRecord::decode(QByteArrayView text, Line *line)
{
    QByteArrayView fields[fieldCount];
    int count = 0;
    for (qsizetype start = 0; count < fieldCount; ++count) {
        const qsizetype tab = text.indexOf('\t', start);
        fields[count] = text.sliced(start, (tab < 0 ? text.size() : tab) - start);
        if (tab < 0) {
            ++count;
            break;
        }
        start = tab + 1;
    }
    if (count != fieldCount || fields[fieldCount - 1].end() != text.end() ||
        !ContentHash::Digest::fromHex(fields[0], &line->hash))
        return false;
    bool sizeOk = false, timeOk = false;
    line->size = fields[1].toLongLong(&sizeOk);
    line->time = fields[2].toLongLong(&timeOk);
    line->volume = decoded(fields[3]);
    line->cardFolder = decoded(fields[4]);
    line->cardName = decoded(fields[5]);
    line->destinationName = decoded(fields[6]);
    return sizeOk && timeOk && line->size >= 0 && !line->cardFolder.contains('\0') &&
           plainFileName(line->cardName) && plainFileName(line->destinationName);
}

bool ImportRecord::sameTime(qint64 recorded, qint64 now)
{
    const qint64 apart = now - recorded;
    return apart >= -day && apart <= day && apart % quarterHour == 0;
}

// The card file itself, reached through the destination, is no copy of it.
bool ImportRecord::holdsCopy(const QByteArray &name, qint64 size, const CardFile &file) const
{
    struct stat st;
    return destination.status(name, &st, false) && S_ISREG(st.st_mode) &&
           qint64(st.st_size) == size && !(st.st_dev == file.device && st.st_ino == file.inode);
}

ImportRecord::Mark ImportRecord::mark(const CardFile &file, QByteArray *keptAs) const
{
    for (auto it = byCardName.constFind(file.name);
         it != byCardName.cend() && it.key() == file.name; ++it) {
        const Line &line = lines.at(it.value());
        if (line.size == file.size && line.cardFolder == file.folder &&
            (line.volume.isEmpty() || line.volume == file.volume) &&
            sameTime(line.time, file.time) && holdsCopy(line.destinationName, line.size, file)) {
            if (keptAs)
                *keptAs = line.destinationName;
            return Proven;
        }
    }
    return holdsCopy(file.name, file.size, file) ? ThereNotProven : NotThere;
}

bool ImportRecord::stillProven(const Folder &where, const QByteArray &folderName,
                               const QByteArray &name, const QByteArray &volume) const
{
    CardFile file;
    return CardFile::look(where, folderName, name, volume, &file) && mark(file) == Proven;
}
