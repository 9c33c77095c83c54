// Any bytes as the settings file: what the reader takes from them must come
// back unchanged after a write and a second read, and a write the writer
// refuses must leave the file exactly as it was.

#include <iterator>

#include "config/tesseldata.h"
#include "config/tesseliocfg.h"
#include "fuzz/fuzzutils.h"

using FuzzUtils::fail;

namespace {

const QString fileName = "tessel.cfg";

QString cfgPath()
{
    return FuzzUtils::scratchDir() + "/" + fileName;
}

// The values the file holds; the rest of the settings never reach it.
QString TesselSettings::*const stringFields[] = {
    &TesselSettings::dataPath, &TesselSettings::flashPath, &TesselSettings::device,
    &TesselSettings::mountPoint, &TesselSettings::fileExt, &TesselSettings::leftPath,
    &TesselSettings::rightPath, &TesselSettings::helpProg, &TesselSettings::helpFile,
};
int TesselSettings::*const intFields[] = {
    &TesselSettings::screenWidth, &TesselSettings::screenHeight,
    &TesselSettings::previewWidth, &TesselSettings::previewHeight,
    &TesselSettings::fullScreenWidth, &TesselSettings::fullScreenHeight,
    &TesselSettings::fullScreenRotation,
};

bool sameValues(const TesselSettings &a, const TesselSettings &b)
{
    for (QString TesselSettings::*field : stringFields) {
        if (a.*field != b.*field)
            return false;
    }
    for (int TesselSettings::*field : intFields) {
        if (a.*field != b.*field)
            return false;
    }
    return true;
}

QByteArray readBack()
{
    QFile file(cfgPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QString dir = FuzzUtils::scratchDir();
    FuzzUtils::writeInput(cfgPath(), bytes, size);

    TesselData first;
    TesselIOCfg(&first).ReadFile(dir, fileName);
    // Every other input also carries a value no line of the file can hold.
    if (size % 2)
        first.*stringFields[size / 2 % std::size(stringFields)] += "\n;";

    if (TesselIOCfg(&first).WriteFile(dir, fileName) != 0) {
        if (readBack() != QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(size)))
            fail("a refused write changed the file");
        return 0;
    }
    if (size % 2)
        fail("a value with a line break was written");

    TesselData second;
    if (TesselIOCfg(&second).ReadFile(dir, fileName) != 0)
        fail("the written file does not read");
    if (!sameValues(first, second))
        fail("values changed on the way through the file");
    return 0;
}
