// Any bytes as a picture file, loaded as the browser's preview and at the
// picture's own size as the full-screen view does. The fuzzer's own limits
// (-rss_limit_mb, -timeout) turn a memory blow-up or a hang into a finding.

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "imaging/pictureloader.h"

namespace {

QTemporaryDir *dir = nullptr;
const QSize previewSize(100, 75);

void fail(const char *what)
{
    fprintf(stderr, "fuzz_pictures: %s\n", what);
    abort();
}

void expectSize(const QImage &image, const QSize &size)
{
    if (!image.isNull() && image.size() != size)
        fail("a picture came out at another size than asked for");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The image format plugins are found through the application object.
    new QCoreApplication(*argc, *argv);
    dir = new QTemporaryDir();
    if (!dir->isValid())
        fail("no temporary directory");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QString path = dir->path() + "/picture";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(bytes), qint64(size)) != qint64(size))
        fail("cannot write the input file");
    file.close();

    expectSize(PictureLoader::loadScaled(path, previewSize), previewSize);
    const QSize ownSize = PictureLoader::pictureSize(path);
    if (ownSize.isValid())
        expectSize(PictureLoader::loadScaled(path, ownSize), ownSize);
    return 0;
}
