// The marks of 2,000 card entries looked up in a record of 20,000 lines:
// reading the record and every look-up, as the window would on a change of
// folder.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include "folder.h"
#include "importrecord.h"

namespace {

const int lineCount = 20000;
const int entryCount = 2000;
const qint64 taken = 1700000000;

QByteArray nameOf(int i)
{
    return "IMG_" + QByteArray::number(i).rightJustified(5, '0') + ".JPG";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const Folder destination(dir.path());
    QByteArray text = "tessel-imports\t1\n";
    for (int i = 0; i < lineCount; ++i) {
        ImportRecord::Line line;
        line.hash = {quint64(i) * 7919, quint64(i)};
        line.size = 5000000 + i;
        line.time = taken + i;
        line.volume = "1A2B-" + QByteArray::number(i % 10);
        line.cardFolder = "DCIM/" + QByteArray::number(100 + i / 1000) + "CANON";
        line.cardName = nameOf(i);
        line.destinationName = line.cardName;
        text += ImportRecord::encode(line) + '\n';
    }
    const int fd = destination.open(ImportRecord::fileName, O_WRONLY | O_CREAT, 0644);
    if (fd < 0 || write(fd, text.constData(), size_t(text.size())) != text.size())
        return 1;
    close(fd);
    QList<ImportRecord::CardFile> entries;
    for (int i = 0; i < entryCount; ++i) {
        const int at = i * (lineCount / entryCount);
        const int copy = destination.open(nameOf(at), O_WRONLY | O_CREAT, 0644);
        if (copy < 0 || ftruncate(copy, 5000000 + at) != 0)
            return 1;
        close(copy);
        entries.append({"1A2B-" + QByteArray::number(at % 10),
                        "DCIM/" + QByteArray::number(100 + at / 1000) + "CANON", nameOf(at),
                        5000000 + at, taken + at + 3600, 0, 0});
    }

    QElapsedTimer clock;
    clock.start();
    ImportRecord record(destination);
    record.read();
    const double readMs = clock.nsecsElapsed() / 1e6;
    int proven = 0;
    for (const ImportRecord::CardFile &entry : entries)
        proven += record.mark(entry) == ImportRecord::Proven ? 1 : 0;
    const double totalMs = clock.nsecsElapsed() / 1e6;
    printf("marks of %d card entries against a record of %d lines (%d proven)\n", entryCount,
           record.lineCount(), proven);
    printf("  reading the record             : %8.1f ms\n", readMs);
    printf("  reading and every look-up      : %8.1f ms  (target <= 50)\n", totalMs);
    return proven == entryCount ? 0 : 1;
}
