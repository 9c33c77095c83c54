#ifndef INSTALLLAYOUT_H
#define INSTALLLAYOUT_H

#include <QString>
#include <QStringList>

class QTranslator;

// Where the program finds the files installed with it, and where it keeps
// its settings when installed. The program counts as installed when its
// translations lie where an installation puts them relative to its own
// folder; run from the build folder or on the handheld it is not.
class InstallLayout
{
public:
    explicit InstallLayout(const QString &programDir);

    bool isInstalled() const;

    // The working folder first, then the installed translations.
    QStringList translationDirs() const;

    // Loads our catalogue for `locale` from those folders; a locale without
    // one of its own (English, "C", any other) gets the English catalogue,
    // which holds the singular and plural forms of the texts with a count.
    bool loadTranslation(QTranslator &translator, const QString &locale) const;

    // The settings folder to use instead of the built-in "./data", or an
    // empty string when that default holds: TESSELCFG is set, ./data
    // already holds a settings file, or the program is not installed.
    // An installed program started from a desktop menu works in the home
    // folder, where a data folder of its own would not belong.
    QString settingsFolder() const;

    // A first start in the settings folder above: where it holds no
    // settings file yet, writes one that lists every kind of picture and
    // video the program shows and copies to the user's Pictures folder when
    // there is one; every other setting keeps its default. True when it
    // wrote the file.
    static bool writeFirstSettings(const QString &folder);

private:
    QString installedTranslations;
};

#endif
