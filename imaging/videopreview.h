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
    // The video `name` in the folder open at `dirFd` as thumbnailBeside()
    // finds it; else a film strip drawn at exactly `size`. Null only when
    // `size` is empty. The picture decodes within JpegDecoder's bounds and
    // stops once `cancelled` is raised; it takes a MemoryBudget::Slot while
    // decoding.
    static QImage load(int dirFd, const QByteArray &name, const QSize &size,
                       const std::atomic<bool> *cancelled = nullptr);

    // The small JPEG a camera wrote for the file `name` (a video, or a
    // picture without a preview of its own) in the folder open at
    // `dirFd`, as decoded and not scaled: the .THM of the same base name
    // (any case of the extension), else Sony's THMBNL/<base>T01.JPG beside
    // the clip's folder. Null when there is none holding a picture; links
    // are not followed.
    static QImage thumbnailBeside(int dirFd, const QByteArray &name,
                                  const std::atomic<bool> *cancelled = nullptr);

    // The film strip alone, exactly `size`.
    static QImage filmStrip(const QSize &size);
};

#endif
