// pictureprobe preview|scaled PATH WIDTH HEIGHT: loads one picture as the
// program does and prints how far the resident memory rose above idle
// ("<kB> image" or "<kB> null"). A child of the memory tests, so that a
// decode that takes too much harms nobody.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

#include <cstdio>
#include <cstring>

#include "pictureloader.h"
#include "folder.h"

namespace {

long statusKb(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).simplified().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 5)
        return 2;
    // The image plugins are part of idle: load them before measuring.
    QImageReader::supportedImageFormats();
    QFile peak("/proc/self/clear_refs");
    if (!peak.open(QIODevice::WriteOnly) || peak.write("5") != 1)
        return 3;
    peak.close();
    const long idle = statusKb("VmRSS:");
    // Through the folder, as the browser names pictures: every kind of file
    // takes its own way (RAW, video, HEIF).
    const QFileInfo path(QString::fromLocal8Bit(argv[2]));
    const Folder folder(path.absolutePath());
    const QByteArray name = QFile::encodeName(path.fileName());
    const QSize size(atoi(argv[3]), atoi(argv[4]));
    const QImage image = std::strcmp(argv[1], "preview") == 0
                             ? PictureLoader::loadPreview(folder.descriptor(), name, size)
                             : PictureLoader::loadScaled(folder.descriptor(), name, size);
    printf("%ld %s\n", statusKb("VmHWM:") - idle, image.isNull() ? "null" : "image");
    return 0;
}
