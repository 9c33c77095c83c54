#ifndef VIDEOPREVIEW_H
#define VIDEOPREVIEW_H

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <atomic>

// Previews of camera videos. The video itself is never read: cameras write
// a small JPEG beside it (IMG_0001.THM for IMG_0001.MOV), and without one
// a film strip of our own stands for the video.
class VideoPreview
{
public:
    // .mov .mp4, whatever the case of the name.
    static bool isVideoName(const QByteArray &name);

    // The .THM (any case of the extension) of the same base name as the
    // video `name` in the folder open at `dirFd`, as decoded and not
    // scaled, when it is a regular file holding a picture; else a film
    // strip drawn at exactly `size`. Null only when `size` is empty. The
    // THM decodes within JpegDecoder's bounds and stops once `cancelled` is
    // raised; it takes a MemoryBudget::Slot while decoding.
    static QImage load(int dirFd, const QByteArray &name, const QSize &size,
                       const std::atomic<bool> *cancelled = nullptr);

    // The film strip alone, exactly `size`.
    static QImage filmStrip(const QSize &size);
};

#endif
