#include "platform/importrecord.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder.h"
#include "platform/replacementfile.h"

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
    *file = {volume, folderName, name, qint64(st.st_size), qint64(st.st_mtim.tv_sec),
             st.st_dev, st.st_ino};
    return true;
}

QByteArray ImportRecord::key(const QByteArray &folder, const QByteArray &name, qint64 size)
{
    return folder + '\0' + name + '\0' + QByteArray::number(size);
}

bool ImportRecord::read()
{
    lines.clear();
    byCardFile.clear();
    const int fd = destination.openRegular(fileName);
    if (fd < 0)
        return false;
    QByteArray text;
    const bool readable = readAll(fd, &text);
    ::close(fd);
    if (!readable || !text.startsWith(formatName))
        return false;
    const QList<QByteArray> rows = text.split('\n');
    lines.reserve(rows.size());
    byCardFile.reserve(rows.size());
    Line line;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (!decode(rows.at(i), &line))
            continue;
        byCardFile[key(line.cardFolder, line.cardName, line.size)].append(int(lines.size()));
        lines.append(line);
    }
    return true;
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
    byCardFile[key(line.cardFolder, line.cardName, line.size)].append(int(lines.size()));
    lines.append(line);
    return true;
}

QByteArray ImportRecord::encode(const Line &line)
{
    return line.hash.toHex() + '\t' + QByteArray::number(line.size) + '\t' +
           QByteArray::number(line.time) + '\t' + encoded(line.volume) + '\t' +
           encoded(line.cardFolder) + '\t' + encoded(line.cardName) + '\t' +
           encoded(line.destinationName);
}

bool ImportRecord::decode(const QByteArray &text, Line *line)
{
    const QList<QByteArray> fields = text.split('\t');
    if (fields.size() != fieldCount || !ContentHash::Digest::fromHex(fields.at(0), &line->hash))
        return false;
    bool sizeOk = false, timeOk = false;
    line->size = fields.at(1).toLongLong(&sizeOk);
    line->time = fields.at(2).toLongLong(&timeOk);
    line->volume = QByteArray::fromPercentEncoding(fields.at(3));
    line->cardFolder = QByteArray::fromPercentEncoding(fields.at(4));
    line->cardName = QByteArray::fromPercentEncoding(fields.at(5));
    line->destinationName = QByteArray::fromPercentEncoding(fields.at(6));
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

ImportRecord::Mark ImportRecord::mark(const CardFile &file) const
{
    const auto found = byCardFile.constFind(key(file.folder, file.name, file.size));
    if (found != byCardFile.constEnd()) {
        for (const int at : *found) {
            const Line &line = lines.at(at);
            if ((line.volume.isEmpty() || line.volume == file.volume) &&
                sameTime(line.time, file.time) &&
                holdsCopy(line.destinationName, line.size, file))
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
