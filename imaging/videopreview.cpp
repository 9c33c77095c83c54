#include "videopreview.h"

#include <QBuffer>
#include <QPainter>
#include <QPolygonF>

#include "embeddedthumbnail.h"
#include "jpegdecoder.h"
#include "memorybudget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Cameras write THM files of 10 to 50 KB; a larger one is no THM.
const qint64 maxThumbnailBytes = qint64(1) << 20;
const int maxThumbnailSide = 1024;

// The bytes of the regular file `name` in `dirFd`; empty when there is no
// such file or it is too large. Never follows a link or waits for a writer.
QByteArray regularFileBytes(int dirFd, const QByteArray &name)
{
    const int fd = openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray bytes;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        info.st_size <= maxThumbnailBytes) {
        bytes.resize(int(info.st_size));
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t got = pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        bytes.truncate(int(done));
    }
    close(fd);
    return bytes;
}

// Bounded like any picture: a THM can be a scan bomb too.
QImage decodedThumbnail(const QByteArray &bytes, const std::atomic<bool> *cancelled)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!JpegDecoder::startsAsJpeg(buffer))
        return QImage();
    JpegDecoder decoder(buffer, cancelled);
    const QSize size = decoder.storedSize();
    if (!size.isValid() || size.width() > maxThumbnailSide || size.height() > maxThumbnailSide)
        return QImage();
    QImage image;
    {
        MemoryBudget::Slot slot;
        image = decoder.read(size);
    }
    return image.isNull() ? image : EmbeddedThumbnail::upright(image, decoder.transformation());
}

// The THM of the file `name`, trying every case of the extension.
QImage thmOf(int dirFd, const QByteArray &name, const std::atomic<bool> *cancelled)
{
    const int dot = name.lastIndexOf('.');
    const QByteArray base = name.left(dot + 1);
    const char upper[] = "THM";
    const char lower[] = "thm";
    for (int mix = 0; mix < 8; ++mix) {
        QByteArray candidate = base;
        for (int i = 0; i < 3; ++i)
            candidate.append(mix & (1 << i) ? lower[i] : upper[i]);
        const QByteArray bytes = regularFileBytes(dirFd, candidate);
        if (bytes.isEmpty())
            continue;
        const QImage image = decodedThumbnail(bytes, cancelled);
        if (!image.isNull())
            return image;
    }
    return QImage();
}

// Sony's cameras keep a clip's thumbnail apart: CLIP/C0001.MP4 has
// THMBNL/C0001T01.JPG.
QImage sonyThumbnailOf(int dirFd, const QByteArray &name, const std::atomic<bool> *cancelled)
{
    const int parent = openat(dirFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return QImage();
    const int folder = openat(parent, "THMBNL", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(parent);
    if (folder < 0)
        return QImage();
    const QByteArray bytes = regularFileBytes(folder, name.left(name.lastIndexOf('.')) + "T01.JPG");
    close(folder);
    return bytes.isEmpty() ? QImage() : decodedThumbnail(bytes, cancelled);
}

} // namespace

QImage VideoPreview::load(int dirFd, const QByteArray &name, const QSize &size,
                          const std::atomic<bool> *cancelled)
{
    const QImage thm = thumbnailBeside(dirFd, name, cancelled);
    return thm.isNull() ? filmStrip(size) : thm;
}

QImage VideoPreview::thumbnailBeside(int dirFd, const QByteArray &name,
                                     const std::atomic<bool> *cancelled)
{
    if (name.lastIndexOf('.') <= 0 || name.contains('/') || name.contains('\0'))
        return QImage();
    const QImage thm = thmOf(dirFd, name, cancelled);
    return thm.isNull() ? sonyThumbnailOf(dirFd, name, cancelled) : thm;
}

QImage VideoPreview::filmStrip(const QSize &size)
{
    if (size.isEmpty() || size.width() > MemoryBudget::maxSide ||
        size.height() > MemoryBudget::maxSide)
        return QImage();
    QImage strip(size, QImage::Format_RGB32);
    strip.fill(QColor(24, 24, 24));
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Sprocket holes along the top and bottom edges, the frame between.
    const qreal edge = size.height() / 7.0;
    const qreal hole = edge * 0.5;
    const qreal pitch = hole * 2.0;
    painter.setBrush(QColor(235, 235, 235));
    for (qreal x = pitch / 4; x + hole <= size.width(); x += pitch) {
        painter.drawRoundedRect(QRectF(x, (edge - hole) / 2, hole, hole), hole / 4, hole / 4);
        painter.drawRoundedRect(QRectF(x, size.height() - (edge + hole) / 2, hole, hole),
                                hole / 4, hole / 4);
    }
    const QRectF frame(edge / 2, edge, size.width() - edge, size.height() - 2 * edge);
    painter.setBrush(QColor(70, 80, 100));
    painter.drawRect(frame);
    // The play triangle, centred in the frame.
    const qreal side = qMin(frame.width(), frame.height()) * 0.45;
    const QPointF centre = frame.center();
    const QPolygonF play({centre + QPointF(-side * 0.4, -side / 2),
                          centre + QPointF(-side * 0.4, side / 2),
                          centre + QPointF(side * 0.5, 0)});
    painter.setBrush(QColor(245, 245, 245));
    painter.drawPolygon(play);
    return strip;
}
