// Any bytes as the settings file: what the reader takes from them must come
// back unchanged after a write and a second read, and a write the writer
// refuses must leave the file exactly as it was.

#include "settingfield.h"
#include "tesseldata.h"
#include "tesseliocfg.h"
#include "fuzzutils.h"

using FuzzUtils::fail;

namespace {

const QString fileName = "tessel.cfg";

QString cfgPath()
{
    return FuzzUtils::scratchDir() + "/" + fileName;
}

bool sameValues(const TesselSettings &a, const TesselSettings &b)
{
    for (const SettingField &field : SettingField::all()) {
        if (field.differs(a, b))
            return false;
    }
    return true;
}

// A text setting of the file, picked by the input's size.
QString TesselSettings::*someTextField(size_t size)
{
    QList<QString TesselSettings::*> texts;
    for (const SettingField &field : SettingField::all()) {
        if (field.text)
            texts.append(field.text);
    }
    return texts.at(qsizetype(size / 2 % size_t(texts.size())));
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
        first.*someTextField(size) += "\n;";

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
