#ifndef RAWLAYOUT_H
#define RAWLAYOUT_H

#include <QSize>
#include <QtGlobal>

#include <vector>

class FileImage;

// The structure of a RAW file, walked before exiv2 sees it: the IFDs of a
// TIFF-based RAW or the boxes of an ISO media file (CR3). The walk reads
// into the file image what exiv2 needs to list the previews (IFDs, their
// values, the first bytes of each picture they point to) and leaves the
// sensor data unread. A structure that would cost exiv2 more than the
// memory budget (boxes nested deep, boxes beyond their parent or the file,
// more metadata than any camera writes) is refused: the file then fails
// like a corrupt one. Other layouts are read whole when they fit.
class RawLayout
{
public:
    struct Block
    {
        qint64 offset = 0;
        qint64 length = 0;
    };
    // A picture an IFD points to, in one piece of the file.
    struct Picture
    {
        QSize size;
        Block data;
    };

    // False when the structure is refused or reading it failed.
    bool read(FileImage &file);

    const std::vector<Picture> &pictures() const { return found; }
    // Where a picture of `length` bytes lies, by the IFDs; empty if unknown.
    Block pictureOfLength(qint64 length) const;

    // Exiv2 copies a box's payload once for each level it is nested in:
    // beyond this depth no camera goes.
    static constexpr int maxBoxDepth = 12;
    static constexpr int maxBoxes = 100000;
    static constexpr int maxIfdDepth = 32;
    static constexpr int maxIfds = 1024;

private:
    std::vector<Picture> found;
};

#endif
