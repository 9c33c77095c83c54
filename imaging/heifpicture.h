#ifndef HEIFPICTURE_H
#define HEIFPICTURE_H

#include <QByteArray>
#include <QImage>
#include <QSize>

// HEIF pictures, as phones (.heic) and cameras (.hif) write them. What a
// file holds is read from its header first (HeifHeader): its sizes come from
// there, and a picture whose real size is beyond the MemoryBudget's cap on
// whole decodes (HEIF cannot decode scaled) never reaches the decoder.
class HeifPicture
{
public:
    // The primary picture's size as shown (cut to its clean aperture,
    // turned), from the header of the HEIF open at `fd`; invalid when the
    // file holds nothing that load() could decode.
    static QSize uprightSize(int fd);

    // The picture in the HEIF open at `fd` (a regular file, read with
    // pread: its offset is left alone), upright as the file says and cut
    // to its declared size: its smallest thumbnail at least `atLeast`,
    // else the primary picture when it is within the cap, else its
    // largest thumbnail however small. Not scaled to `atLeast`. Null when
    // none of these can be had. Takes a MemoryBudget::Slot while decoding:
    // never call it holding one.
    static QImage load(int fd, const QSize &atLeast);
};

#endif
