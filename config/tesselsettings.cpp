#include "tesselsettings.h"

#include <cstdlib>

#include "diagnostics.h"

TesselSettings::TesselSettings()
    : screenWidth(240),
      screenHeight(320),
      previewWidth(100),
      previewHeight(75),
      fullScreenWidth(225),
      fullScreenHeight(300),
      fullScreenRotation(270),
      dataPath(""),
      cfgPath(""),
      flashPath(""),
      leftPath(""),
      rightPath(""),
      device(""),
      mountPoint(""),
      fileExt(""),
      helpProg(""),
      helpFile(""),
      thumbnailSuffix("_thumbnail")
{
    lookUpCfgPath();
}

void TesselSettings::lookUpCfgPath()
{
    cfgPath = getEnv("TESSELCFG");
    if (cfgPath.isEmpty())
        cfgPath = "./data";
}

QString TesselSettings::getEnv(const QString &name)
{
    const QByteArray latin1Name = name.toLatin1();
    const char *value = ::getenv(latin1Name.constData());
    if (!value) {
        Diagnostics::print("\nTesselData::getEnv(" + QByteArray(latin1Name.constData()) +
                           ") : not found");
        return QString();
    }
    return QString::fromLocal8Bit(value);
}
