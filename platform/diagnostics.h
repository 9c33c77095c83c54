#ifndef DIAGNOSTICS_H
#define DIAGNOSTICS_H

#include <QByteArray>

// The lines the program writes to standard output, each written out at
// once so that they keep their order with anything else that reaches it.
class Diagnostics
{
public:
    static void print(const QByteArray &text);
};

#endif
