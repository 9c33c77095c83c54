#include "imaging/memorybudget.h"

#include <QByteArray>
#include <QSemaphore>

#include <cstdio>
#include <cstdlib>

void MemoryBudget::applyToDecoders()
{
    // libjpeg counts in thousands of bytes; without backing store it
    // refuses a picture that needs more instead of taking it.
    const long long ours = decoderBytes / 1000;
    const char *set = std::getenv("JPEGMEM");
    if (set) {
        char unit = 'x';
        long long theirs = 0;
        if (std::sscanf(set, "%lld%c", &theirs, &unit) > 0) {
            if (unit == 'm' || unit == 'M')
                theirs *= 1000;
            if (theirs > 0 && theirs <= ours)
                return;
        }
    }
    setenv("JPEGMEM", QByteArray::number(ours).constData(), 1);
}

namespace {

QSemaphore &decodeSlots()
{
    static QSemaphore free(MemoryBudget::parallelDecodes);
    return free;
}

} // namespace

MemoryBudget::Slot::Slot()
{
    decodeSlots().acquire();
}

MemoryBudget::Slot::~Slot()
{
    decodeSlots().release();
}
