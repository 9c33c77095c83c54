#include "memorybudget.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

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

// Setting the environment races every thread that reads it (fontconfig,
// libjpeg): done once, as the application starts, before any other thread.
static void applyAtStart() { MemoryBudget::applyToDecoders(); }
Q_COREAPP_STARTUP_FUNCTION(applyAtStart)

namespace {

// Counted in MiB, the budget's grain.
constexpr int unitShift = 20;

QSemaphore &freeUnits()
{
    static QSemaphore free(int(MemoryBudget::processBytes >> unitShift));
    return free;
}

} // namespace

int MemoryBudget::decodeThreads()
{
    return qBound(1, QThread::idealThreadCount(), 4);
}

MemoryBudget::Slot::Slot(qint64 bytes)
    : units(int((qBound(qint64(1), bytes, processBytes) + (qint64(1) << unitShift) - 1) >> unitShift))
{
    freeUnits().acquire(units);
}

MemoryBudget::Slot::~Slot()
{
    freeUnits().release(units);
}
