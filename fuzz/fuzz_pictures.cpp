// Any bytes as a picture file, loaded at the preview size, as the browser's
// preview (also from an embedded thumbnail alone) and at the picture's own
// size as the full-screen view does; the same bytes again as a camera RAW
// (exiv2 tells TIFF-based RAWs from CR3 by their content), as a HEIF file
// and as the .THM beside a video. The fuzzer's own limits
// (-rss_limit_mb, -timeout) turn a memory blow-up or a hang into a finding.

#include <QCoreApplication>

#include "fuzzutils.h"
#include "pictureloader.h"
#include "folder.h"

namespace {

const QSize previewSize(100, 75);

void expectSize(const QImage &image, const QSize &size)
{
    if (!image.isNull() && image.size() != size)
        FuzzUtils::fail("a picture came out at another size than asked for");
}

void loadEveryWay(int dir, const QByteArray &name)
{
    expectSize(PictureLoader::loadScaled(dir, name, previewSize), previewSize);
    expectSize(PictureLoader::loadPreview(dir, name, previewSize), previewSize);
    expectSize(PictureLoader::quickPreview(dir, name, previewSize), previewSize);
    // Sizes beyond what the memory budget allows are cut to it.
    const QSize ownSize = PictureLoader::pictureSize(dir, name);
    if (ownSize.isValid())
        expectSize(PictureLoader::loadScaled(dir, name, ownSize),
                   PictureLoader::boundedSize(ownSize));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The image format plugins are found through the application object.
    new QCoreApplication(*argc, *argv);
    FuzzUtils::writeInput(FuzzUtils::scratchDir() + "/clip.mov", nullptr, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    for (const char *name : {"picture", "picture.cr3", "picture.heic", "clip.THM"})
        FuzzUtils::writeInput(FuzzUtils::scratchDir() + "/" + name, bytes, size);
    const Folder folder(FuzzUtils::scratchDir());
    for (const char *name : {"picture", "picture.cr3", "picture.heic", "clip.mov"})
        loadEveryWay(folder.descriptor(), name);
    return 0;
}
