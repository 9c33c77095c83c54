#include "app/installlayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

QString InstallLayout::settingsFolder() const
{
    if (!qEnvironmentVariableIsEmpty("TESSELCFG") || QFileInfo::exists("./data/tessel.cfg") ||
        !isInstalled())
        return QString();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tessel";
}
