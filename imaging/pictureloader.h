#ifndef PICTURELOADER_H
#define PICTURELOADER_H

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>

class RegularFile;

// Decodes pictures straight to the size they are shown at, upright as their
// orientation tag says. JPEGs are then scaled inside the decoder (1/2, 1/4,
// 1/8), which is several times faster and far lighter on memory than
// decoding the full picture first. Only regular files are read, every
// decode keeps to the MemoryBudget, and a JPEG decode to a bound of scans
// and time (JpegDecoder).
//
// A picture is named by an open folder and the bytes of its name in it; a
// link under that name is not followed, and a FIFO, device or socket is
// treated as missing. The file is closed before each call returns. The
// path versions reach the same through a path (following links).
class PictureLoader
{
public:
    // Even decoded at an eighth of its size, a picture beyond this takes
    // seconds; such a file is damaged or no photo.
    static constexpr qint64 maxPixels = qint64(1) << 28;

    // The picture, upright, stretched to exactly `size` (aspect ratio not
    // kept; sides beyond MemoryBudget::maxSide are cut to it). A null image
    // when the file is missing or not a regular file, is no picture (or not
    // of `format`, when one is given), does not decode or would take more
    // than the budget, when `cancelled` is raised, or when `size` is empty.
    static QImage loadScaled(int dirFd, const QByteArray &name, const QSize &size,
                             const QByteArray &format = QByteArray(),
                             const std::atomic<bool> *cancelled = nullptr);
    static QImage loadScaled(const QString &path, const QSize &size,
                             const QByteArray &format = QByteArray());

    // The picture as the preview shows it, exactly `size`: a landscape
    // picture stretched to fill it, a portrait one fitted inside with its
    // aspect kept, centred between transparent margins. Taken from the
    // camera's embedded thumbnail when that is fit to stand in.
    static QImage loadPreview(int dirFd, const QByteArray &name, const QSize &size,
                              const std::atomic<bool> *cancelled = nullptr);
    static QImage loadPreview(const QString &path, const QSize &size);

    // The preview only when it needs no decode of the picture itself (an
    // embedded thumbnail fit to stand in); null otherwise. Cheap, and takes
    // no decode slot: safe on the window's thread.
    static QImage quickPreview(int dirFd, const QByteArray &name, const QSize &size);

    // The picture's upright size read from its header, without decoding;
    // invalid when the file cannot be read as a picture.
    static QSize pictureSize(int dirFd, const QByteArray &name,
                             const QByteArray &format = QByteArray());
    static QSize pictureSize(const QString &path, const QByteArray &format = QByteArray());

    // `size` with its sides cut to MemoryBudget::maxSide; invalid when empty.
    static QSize boundedSize(const QSize &size);

    // Taller than wide, once upright; a square is a landscape.
    static bool isPortrait(const QSize &uprightSize)
    {
        return uprightSize.height() > uprightSize.width();
    }

private:
    enum class Preview { No, Quick, Full };
    static QImage load(RegularFile &file, const QSize &size, const QByteArray &format,
                       Preview preview, const std::atomic<bool> *cancelled);
    static QSize sizeOf(RegularFile &file, const QByteArray &format);
    static QSize shownSize(const QSize &upright, const QSize &target);
    static QImage shaped(const QImage &upright, const QSize &target);
};

#endif
