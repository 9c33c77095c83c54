#ifndef MEMORYBUDGET_H
#define MEMORYBUDGET_H

#include <QtGlobal>

// How much memory decoding pictures may take, named once. Whatever a file
// claims to hold, the process stays within `processBytes` above idle, over
// all decode threads together: each decode holds a Slot of the bytes it may
// take out of that one budget, and waits while they are not free.
class MemoryBudget
{
public:
    static constexpr qint64 processBytes = qint64(256) << 20;
    // The most a single decode may take.
    static constexpr qint64 decodeBytes = processBytes;
    // Threads that decode at once: one a core, at most 4.
    static int decodeThreads();

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

    // Holds `bytes` of the budget while alive (at most all of it); waits
    // until they are free.
    class Slot
    {
    public:
        explicit Slot(qint64 bytes = decodeBytes);
        ~Slot();
        Slot(const Slot &) = delete;
        Slot &operator=(const Slot &) = delete;

    private:
        int units;
    };
};

#endif
