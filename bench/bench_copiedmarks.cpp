// The check marks of a full card: 2,000 source pictures against a
// destination of 20,000, a tenth of them copies of the card's. What the
// window's thread does: one read of the destination, the look-ups, and the
// icons set on 2,000 items. Empty files of distinct sizes will do.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/benchutils.h"
#include "browser/copiedmarks.h"

namespace {

const int pictures = 2000;
const int destinationPictures = 20000;

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
    for (int i = 0; i < pictures && made; ++i) {
        const QString name = QString::asprintf("IMG_%04d.JPG", i);
        made = makeFile(card + "/" + name, 1000 + i);
        entries.append({source, QFile::encodeName(name), {}, {}});
    }
    for (int i = 0; i < destinationPictures && made; ++i) {
        const QString name = i % 10 == 0 ? QString::asprintf("IMG_%04d.JPG", i / 10)
                                         : QString::asprintf("DSC_%05d.JPG", i);
        made = makeFile(destination + "/" + name, 1000 + (i % 10 == 0 ? i / 10 : i));
    }
    if (!made) {
        fprintf(stderr, "cannot make the folders in %s\n", qPrintable(dir.path()));
        return 1;
    }
    // Copies keep the card's times.
    for (int i = 0; i < pictures; i += 1) {
        const QByteArray name = QFile::encodeName(QString::asprintf("/IMG_%04d.JPG", i));
        struct stat st;
        if (::stat(QFile::encodeName(card) + name, &st) == 0) {
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            ::utimensat(AT_FDCWD, QFile::encodeName(destination) + name, times, 0);
        }
    }
    QTreeWidget list;
    for (int i = 0; i < pictures; ++i)
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{entries.at(i).name}));
    int marked = 0;
    const double ms = BenchUtils::bestMs(
        [&] {
            const QList<bool> marks = CopiedMarks::find(entries, Folder(destination));
            const QIcon mark = CopiedMarks::icon();
            marked = 0;
            for (int i = 0; i < marks.size(); ++i) {
                list.topLevelItem(i)->setData(0, Qt::DecorationRole,
                                              marks.at(i) ? QVariant(mark) : QVariant());
                marked += marks.at(i) ? 1 : 0;
            }
        },
        10);
    printf("marks of %d pictures against %d: %7.2f ms on the window's thread (%d marked)\n",
           pictures, destinationPictures, ms, marked);
    fflush(stdout);
    return marked == pictures ? 0 : 1;
}
