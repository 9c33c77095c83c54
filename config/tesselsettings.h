#ifndef TESSELSETTINGS_H
#define TESSELSETTINGS_H

#include <QString>

// Every setting of the program in one plain record. Fields are public and
// read and assigned directly by their users.
class TesselSettings
{
public:
    TesselSettings();

    QString getEnv(const QString &name);
    // The directory of the settings file: TESSELCFG, else "./data".
    void lookUpCfgPath();

    int screenWidth;
    int screenHeight;
    int previewWidth;
    int previewHeight;
    int fullScreenWidth;
    int fullScreenHeight;
    int fullScreenRotation;
    QString dataPath;
    QString cfgPath;
    QString flashPath;
    QString leftPath;
    QString rightPath;
    QString device;
    QString mountPoint;
    QString fileExt;
    QString helpProg;
    QString helpFile;
    QString thumbnailSuffix;
};

#endif
