// Temporary: descriptor-based entry points until the imaging branch lands.
#include <QDir>
#include <QString>
#include "imaging/pictureloader.h"
#include "imaging/thumbnailfile.h"
#include "fullpic/fullpic.h"

namespace {
QString viaFd(int dirFd, const QByteArray &name)
{
    return QStringLiteral("/proc/self/fd/%1/").arg(dirFd) + QString::fromLocal8Bit(name);
}
}

QImage PictureLoader::loadScaled(int dirFd, const QByteArray &name, const QSize &size,
                                 const QByteArray &format, const std::atomic<bool> *)
{
    return loadScaled(viaFd(dirFd, name), size, format);
}
QImage PictureLoader::loadPreview(int dirFd, const QByteArray &name, const QSize &size,
                                  const std::atomic<bool> *)
{
    return loadPreview(viaFd(dirFd, name), size);
}
QImage PictureLoader::quickPreview(int, const QByteArray &, const QSize &)
{
    return QImage();
}
QSize PictureLoader::pictureSize(int dirFd, const QByteArray &name, const QByteArray &format)
{
    return pictureSize(viaFd(dirFd, name), format);
}
ThumbnailFile::Stamp ThumbnailFile::stampOf(int dirFd, const QByteArray &name)
{
    return stampOf(viaFd(dirFd, name));
}
QImage ThumbnailFile::load(int dirFd, const QByteArray &thumbFolder, const QByteArray &name)
{
    return load(viaFd(dirFd, thumbFolder + "/" + name + ".png"), viaFd(dirFd, name));
}
bool ThumbnailFile::save(int dirFd, const QByteArray &thumbFolder, const QByteArray &name,
                         const QImage &image, const Stamp &stamp)
{
    QDir().mkpath(viaFd(dirFd, thumbFolder));
    return save(viaFd(dirFd, thumbFolder + "/" + name + ".png"), image, stamp);
}
void FullPic::loadPicture(int dirFd, const QByteArray &name)
{
    loadPicture(viaFd(dirFd, name));
}
