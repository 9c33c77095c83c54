#include "installlayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTranslator>

#include "tesseldata.h"
#include "tesseliocfg.h"
#include "filekind.h"

InstallLayout::InstallLayout(const QString &programDir)
    : installedTranslations(
          QDir::cleanPath(programDir + "/" + QStringLiteral(TESSEL_TRANSLATIONS_FROM_BINDIR)))
{
}

bool InstallLayout::isInstalled() const
{
    return QFileInfo(installedTranslations).isDir();
}

QStringList InstallLayout::translationDirs() const
{
    QStringList dirs{QStringLiteral(".")};
    if (isInstalled())
        dirs << installedTranslations;
    return dirs;
}

bool InstallLayout::loadTranslation(QTranslator &translator, const QString &locale) const
{
    for (const QString &name : {locale, QStringLiteral("en")}) {
        for (const QString &dir : translationDirs()) {
            if (translator.load(QStringLiteral("vandro.") + name, dir))
                return true;
        }
    }
    return false;
}

QString InstallLayout::settingsFolder() const
{
    if (!qEnvironmentVariableIsEmpty("TESSELCFG") || QFileInfo::exists("./data/tessel.cfg") ||
        !isInstalled())
        return QString();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tessel";
}

bool InstallLayout::writeFirstSettings(const QString &folder)
{
    if (QFileInfo::exists(TesselIOCfg::filePath(folder, "tessel.cfg")))
        return false;
    TesselData data;
    data.fileExt = FileKind::shownExtensions();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        data.rightPath = pictures;
    return TesselIOCfg(&data).WriteFile(folder, "tessel.cfg") == 0;
}
