#ifndef HEIFHEADER_H
#define HEIFHEADER_H

#include <QImage>
#include <QRect>
#include <QSize>
#include <QtGlobal>

#include <vector>

// What a HEIF file says about its pictures, read from its boxes without
// libheif: sizes, clean aperture, turns and mirrors, thumbnails, and a
// grid's own output size. Every length and count is checked against the
// file, so that a file whose header lies is known before libheif, which
// trusts it, allocates for it. Reading takes a few small preads.
class HeifHeader
{
public:
    // One picture item: the primary picture or a thumbnail of it.
    struct Picture
    {
        quint32 id = 0;
        // As coded, before any crop or turn (its `ispe`).
        QSize stored;
        // The part of `stored` the file shows (its clean aperture).
        QRect aperture;
        // Turns and mirrors in the order the file lists them: 1 to 3
        // quarter turns anticlockwise, or a mirror (`flipsRows` or not).
        struct Step
        {
            int quarterTurns = 0;
            bool mirror = false;
            bool flipsRows = false;
        };
        std::vector<Step> steps;
        // Whether decoding it stays within the memory budget, judged by
        // what the decoder really builds (a grid's own output size).
        bool decodable = false;

        // Its size as shown: the aperture, turned.
        QSize upright() const;
        bool covers(const QSize &atLeast) const;
        qint64 pixels() const { return qint64(aperture.width()) * aperture.height(); }
        // The part of a picture that the decoder made `decoded` large
        // (without transformations) that is shown: coded pictures are
        // padded to whole blocks, beyond the stored size and the aperture.
        QRect shownArea(const QSize &decoded) const;
        // That part turned and mirrored as the file says.
        QImage upright(const QImage &shownPart) const;
    };

    // Reads the header of the regular file open at `fd` (with pread: its
    // offset is left alone).
    explicit HeifHeader(int fd);

    // False when the file is no HEIF, its header is damaged or lies about
    // what it holds.
    bool isValid() const { return valid; }
    const Picture &primary() const { return primaryPicture; }
    const std::vector<Picture> &thumbnails() const { return thumbnailPictures; }

private:
    bool read(int fd);

    bool valid = false;
    Picture primaryPicture;
    std::vector<Picture> thumbnailPictures;
};

#endif
