#ifndef MEMORYBUDGET_H
#define MEMORYBUDGET_H

#include <QtGlobal>

// How much memory decoding pictures may take, named once. Whatever a file
// claims to hold, the process stays within `processBytes` above idle: every
// decode takes one of `parallelDecodes` slots and lives on its share.
class MemoryBudget
{
public:
    static constexpr qint64 processBytes = qint64(256) << 20;
    static constexpr int parallelDecodes = 1;
    static constexpr qint64 decodeBytes = processBytes / parallelDecodes;

    // Largest side a picture is ever decoded to: a 4096 x 4096 image of four
    // bytes a pixel is exactly `imageBytes`.
    static constexpr int maxSide = 4096;
    static constexpr qint64 imageBytes = qint64(maxSide) * maxSide * 4;
    // What the decoder itself may hold besides the image: a progressive JPEG
    // keeps every coefficient of the whole picture, even for 1/8 scale.
    // The other half is for the image and one scaled or turned copy of it.
    static constexpr qint64 decoderBytes = decodeBytes / 2;
    static_assert(decoderBytes + 2 * imageBytes <= decodeBytes);
    // Formats that cannot decode scaled produce the whole picture first.
    static constexpr qint64 maxFullDecodePixels = imageBytes / 4;

    // Hands the decoder's share to libjpeg, which reads it from the
    // environment for every picture it opens. Keeps a smaller limit that
    // the user set. Safe to call more than once.
    static void applyToDecoders();

    // Holds one decode slot while alive; waits while all are taken.
    class Slot
    {
    public:
        Slot();
        ~Slot();
        Slot(const Slot &) = delete;
        Slot &operator=(const Slot &) = delete;
    };
};

#endif
