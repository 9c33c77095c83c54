#include "tesseldata.h"

TesselData::TesselData()
    : QObject(nullptr), TesselSettings(), modified(false)
{
}
