// The marks of a full card: 4,000 source pictures on a sorted list, every
// one proven in the destination's record, a tenth of a destination of
// 40,000 files. What the window's thread does: one read of the record, the
// look-ups, and the marks set on 4,000 items that all change. Empty files
// of distinct sizes will do.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <sys/stat.h>

#include "copiedmarks.h"

namespace {

const int pictures = 4000;
const int destinationFiles = 40000;

bool makeFile(const QString &path, int size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString card = dir.filePath("card");
    const QString destination = dir.filePath("pictures");
    bool made = QDir().mkpath(card) && QDir().mkpath(destination);
    auto source = std::make_shared<const Folder>(card);
    QList<FolderEntry> entries;
    QByteArray record = "tessel-imports\t1\n";
    for (int i = 0; i < pictures && made; ++i) {
        const QString name = QString::asprintf("IMG_%04d.JPG", i);
        made = makeFile(card + "/" + name, 1000 + i) &&
               makeFile(destination + "/" + name, 1000 + i);
        entries.append({source, QFile::encodeName(name), {}, {}});
        struct stat st;
        made = made && ::stat(QFile::encodeName(card + "/" + name), &st) == 0;
        record += ImportRecord::encode({{{quint64(i), quint64(i)}, 1000 + i, st.st_mtim.tv_sec},
                                        {},
                                        {},
                                        QFile::encodeName(name),
                                        QFile::encodeName(name)}) +
                  "\n";
    }
    for (int i = pictures; i < destinationFiles && made; ++i)
        made = makeFile(destination + QString::asprintf("/DSC_%05d.JPG", i), i);
    QFile file(destination + "/" + ImportRecord::fileName);
    made = made && file.open(QIODevice::WriteOnly) && file.write(record) == record.size();
    file.close();
    if (!made) {
        fprintf(stderr, "cannot make the folders in %s\n", qPrintable(dir.path()));
        return 1;
    }
    QTreeWidget list;
    for (int i = 0; i < pictures; ++i)
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{entries.at(i).name}));
    list.setSortingEnabled(true);
    list.show();
    QElapsedTimer clock;
    clock.start();
    const QList<ImportRecord::Mark> marks = CopiedMarks::find(entries, Folder(destination), {});
    const qint64 found = clock.elapsed();
    const int missing = CopiedMarks::set(list, marks);
    const qint64 all = clock.elapsed();
    printf("marks of %d pictures (record of %d lines, %d files): %lld ms on the window's "
           "thread (%lld ms to look, %lld ms to set; %d not proven; at most 50 ms: %s)\n",
           pictures, pictures, destinationFiles, all, found, all - found, missing,
           all <= 50 ? "met" : "missed");
    fflush(stdout);
    return missing == 0 ? 0 : 1;
}
