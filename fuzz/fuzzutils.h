#ifndef FUZZUTILS_H
#define FUZZUTILS_H

// What the fuzz targets share: one scratch folder that goes when the run
// ends, the input written there as a file, and a loud end on a finding.

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace FuzzUtils {

[[noreturn]] inline void fail(const char *what)
{
    fprintf(stderr, "finding: %s\n", what);
    abort();
}

inline QString scratchDir()
{
    static QTemporaryDir *dir = nullptr;
    if (!dir) {
        dir = new QTemporaryDir();
        if (!dir->isValid())
            fail("no temporary directory");
        // libFuzzer ends a run with exit(), never returning to main.
        std::atexit([] { delete dir; });
    }
    return dir->path();
}

inline void writeInput(const QString &path, const uint8_t *bytes, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(bytes), qint64(size)) != qint64(size))
        fail("cannot write the input file");
}

} // namespace FuzzUtils

#endif
