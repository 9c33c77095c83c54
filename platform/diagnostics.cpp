#include "diagnostics.h"

#include <cstdio>

void Diagnostics::print(const QByteArray &text)
{
    fwrite(text.constData(), 1, size_t(text.size()), stdout);
    fflush(stdout);
}
