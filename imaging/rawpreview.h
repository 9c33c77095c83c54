#ifndef RAWPREVIEW_H
#define RAWPREVIEW_H

#include <QByteArray>
#include <QImage>
#include <QSize>

// Previews of camera RAW files, taken from the JPEG previews every camera
// embeds in them; the sensor data itself is never decoded. The file is
// mapped into memory and only the pages holding its metadata and the chosen
// preview are read, a few hundred kilobytes of a 25 MB file.
class RawPreview
{
public:
    // The embedded preview of the RAW open at `fd` (a regular file; its
    // offset is left alone), upright as the RAW's own orientation tag says.
    // `largest` false: the smallest preview at least `atLeast` once upright
    // (the largest when none is); true: the largest one. Smaller previews
    // must show the same picture as the largest (black bands are cut off,
    // another aspect rejects them). Not scaled to `atLeast`, but decoded at
    // a half, quarter or eighth of its size when that still covers it.
    // Null when the file holds no usable JPEG preview. Takes a
    // MemoryBudget::Slot while decoding: never call it holding one.
    static QImage load(int fd, const QSize &atLeast, bool largest);
};

#endif
