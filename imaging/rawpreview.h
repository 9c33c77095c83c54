#ifndef RAWPREVIEW_H
#define RAWPREVIEW_H

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <atomic>

// Previews of camera RAW files, taken from the JPEG previews every camera
// embeds in them; the sensor data itself is never decoded. The file is
// never mapped: its structure and the chosen preview are read into memory
// (a few hundred kilobytes of a 25 MB file), so a card pulled under the
// reader is a failed preview, and a structure that would cost the parser
// more than the memory budget is refused before exiv2 sees it.
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
    // A preview is used when its bytes are a JPEG, whatever exiv2 calls it.
    // Null when the file holds no usable JPEG preview, is cut short or
    // unreadable, breaks a bound, or when `cancelled` is raised. Takes a
    // MemoryBudget::Slot while it works: never call it holding one.
    static QImage load(int fd, const QSize &atLeast, bool largest,
                       const std::atomic<bool> *cancelled = nullptr);
};

#endif
