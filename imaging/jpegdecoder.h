#ifndef JPEGDECODER_H
#define JPEGDECODER_H

#include <QImage>
#include <QImageIOHandler>
#include <QSize>

#include <atomic>
#include <memory>

class QIODevice;

// A JPEG read straight through libjpeg, with bounds on everything a file
// can make it spend: memory (the decoder's share of the MemoryBudget),
// scans (a progressive file may repeat its scans thousands of times, each
// costing a pass over every coefficient) and time. A picture that would
// break a bound fails like a corrupt one. Errors never end the process.
class JpegDecoder
{
public:
    // An EXIF orientation tag (1-8) as Qt's transformations.
    static QImageIOHandler::Transformations fromExifOrientation(int tag);

    // More scans than any encoder writes (a progressive file has about ten).
    static constexpr int maxScans = 100;
    // Longer than a 12 MP photo takes on the device; a decode past it is
    // stopped.
    static constexpr int maxMilliseconds = 2000;

    // Reads the header from `device` (its current position is the start of
    // the JPEG). `cancelled`, when given, stops the decode once raised.
    explicit JpegDecoder(QIODevice &device, const std::atomic<bool> *cancelled = nullptr);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    // Whether `device` starts as a JPEG; its position is not moved.
    static bool startsAsJpeg(QIODevice &device);

    // Invalid when the header could not be read.
    QSize storedSize() const { return stored; }
    // What the EXIF orientation tag asks for; none without one.
    QImageIOHandler::Transformations transformation() const { return orientation; }

    // The picture as stored (not yet turned), exactly `size`, scaled in the
    // decoder by 1/2 to 1/8 where that still gives at least `size`. Null
    // when it fails, is refused or is cancelled. Once per decoder.
    QImage read(const QSize &size);

private:
    struct State;
    bool readHeader();
    bool decodeInto(const QSize &size);

    std::unique_ptr<State> d;
    QSize stored;
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
};

#endif
