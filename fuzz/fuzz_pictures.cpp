// Any bytes as a picture file, loaded at the preview size, as the browser's
// preview (also from an embedded thumbnail) and at the picture's own size
// as the full-screen view does. The fuzzer's own limits
// (-rss_limit_mb, -timeout) turn a memory blow-up or a hang into a finding.

#include <QCoreApplication>

#include "fuzz/fuzzutils.h"
#include "imaging/pictureloader.h"

namespace {

const QSize previewSize(100, 75);

void expectSize(const QImage &image, const QSize &size)
{
    if (!image.isNull() && image.size() != size)
        FuzzUtils::fail("a picture came out at another size than asked for");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The image format plugins are found through the application object.
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QString path = FuzzUtils::scratchDir() + "/picture";
    FuzzUtils::writeInput(path, bytes, size);

    expectSize(PictureLoader::loadScaled(path, previewSize), previewSize);
    expectSize(PictureLoader::loadPreview(path, previewSize), previewSize);
    // Sizes beyond what the memory budget allows are cut to it.
    const QSize ownSize = PictureLoader::pictureSize(path);
    if (ownSize.isValid())
        expectSize(PictureLoader::loadScaled(path, ownSize), PictureLoader::boundedSize(ownSize));
    return 0;
}
