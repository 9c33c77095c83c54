// Listing a whole card: 2,000 pictures spread over ten camera folders
// against 2,000 in one folder, and a card of 5,000 camera folders of two
// pictures each (target: all 10,000 listed within a second). Empty files
// will do: the listing reads names and sizes, never contents.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <dirent.h>

#include "benchutils.h"
#include "cardlisting.h"

namespace {

const int pictures = 2000;
const int folders = 10;
const int manyFolders = 5000;
const double manyFoldersTargetMs = 1000;

bool makeEmpty(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

double listingMs(const QString &path, int expected, int runs = 20)
{
    const QStringList patterns = Folder::extensionPatterns("jpg,cr2");
    return BenchUtils::bestMs(
        [&] {
            QList<CardListing::Listed> listed;
            if (CardListing::list(std::make_shared<Folder>(path), patterns, &listed) !=
                    CardListing::Result::Listed ||
                listed.size() != expected)
                fprintf(stderr, "listing %s gave %lld entries\n", qPrintable(path),
                        qint64(listed.size()));
        },
        runs);
}

int openDescriptors()
{
    int count = 0;
    if (DIR *fds = opendir("/proc/self/fd")) {
        while (readdir(fds))
            ++count;
        closedir(fds);
    }
    return count - 3; // ".", ".." and the one reading them
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString flat = dir.filePath("flat");
    const QString card = dir.filePath("DCIM");
    bool made = QDir().mkpath(flat);
    for (int i = 0; i < pictures; ++i) {
        const QString name = QString::asprintf("IMG_%04d.JPG", i);
        const QString camera = card + QString::asprintf("/%03dCANON", 100 + i % folders);
        made = made && QDir().mkpath(camera) && makeEmpty(flat + "/" + name) &&
               makeEmpty(camera + "/" + name);
    }
    const QString manyCard = dir.filePath("many/DCIM");
    for (int i = 0; made && i < manyFolders; ++i) {
        const QString camera = manyCard + QString::asprintf("/%03d_%04d", 100 + i % 900, i);
        made = QDir().mkpath(camera) && makeEmpty(camera + "/IMG_0001.JPG") &&
               makeEmpty(camera + "/IMG_0002.JPG");
    }
    if (!made) {
        fprintf(stderr, "cannot make the folders in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const double asBefore = BenchUtils::bestMs(
        [&] {
            QList<Folder::File> found;
            Folder(flat).files("*.jpg", &found);
        },
        20);
    const double oneFolder = listingMs(flat, pictures);
    const double wholeCard = listingMs(card, pictures);
    printf("%d pictures, one folder, one kind:  %7.2f ms\n", pictures, asBefore);
    printf("%d pictures, one folder:            %7.2f ms\n", pictures, oneFolder);
    printf("%d pictures in %d camera folders: %7.2f ms  (%.2f times)\n", pictures, folders,
           wholeCard, wholeCard / oneFolder);
    const double many = listingMs(manyCard, 2 * manyFolders, 3);
    printf("%d pictures in %d camera folders: %7.2f ms  (target %.0f ms: %.2f of it)\n",
           2 * manyFolders, manyFolders, many, manyFoldersTargetMs, many / manyFoldersTargetMs);
    const int before = openDescriptors();
    QList<CardListing::Listed> listed;
    CardListing::list(std::make_shared<Folder>(manyCard), {"*.jpg"}, &listed);
    printf("descriptors held by the %lld entries: %d (for %d camera folders)\n",
           qint64(listed.size()), openDescriptors() - before, manyFolders);
    fflush(stdout);
    return 0;
}
