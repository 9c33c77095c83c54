#ifndef HEIFPICTURE_H
#define HEIFPICTURE_H

#include <QByteArray>
#include <QImage>
#include <QSize>

// HEIF pictures, as phones (.heic) and cameras (.hif) write them. Their
// embedded thumbnail serves when it is large enough; otherwise the primary
// picture is decoded whole, which HEIF cannot do scaled, so only pictures
// within the MemoryBudget's cap are.
class HeifPicture
{
public:
    // The picture in the HEIF open at `fd` (a regular file, read with
    // pread: its offset is left alone), upright as the file says: its
    // smallest thumbnail at least `atLeast`, else the primary picture when
    // it has at most MemoryBudget::maxFullDecodePixels, else its largest
    // thumbnail however small. Not scaled to `atLeast`. Null when none of
    // these can be had. Takes a MemoryBudget::Slot
    // while decoding: never call it holding one.
    static QImage load(int fd, const QSize &atLeast);
};

#endif
