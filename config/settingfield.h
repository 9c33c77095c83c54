#ifndef SETTINGFIELD_H
#define SETTINGFIELD_H

#include <QList>
#include <QString>

#include <climits>

#include "tesselsettings.h"

// One setting that the settings file holds: its key there, the field it
// fills, and the row the settings editor shows it in. all() is the one list
// of them; the file reader and writer and the editor all walk it.
struct SettingField
{
    // What the editor lets the user do with the row.
    enum class Editing {
        Chooser,     // type, clear, or pick a folder or file
        Typed,       // type or clear
        TypedOnly,   // type, no clear button
        Shown,       // look only
        NotShown,    // not an editor row at all
    };

    const char *key;
    // Exactly one of the two is set: the setting is a text or a number.
    QString TesselSettings::*text;
    int TesselSettings::*number;
    // Source texts, translated in the editor's context "cfgEdit".
    const char *group;
    const char *label;
    // Position among the editor's rows, which follow their own order.
    int editorRow;
    Editing editing;
    // The values a number may take; others are refused.
    int least = INT_MIN;
    int most = INT_MAX;

    bool accepts(int value) const { return value >= least && value <= most; }

    // The value as a row or a file shows it: numbers in decimal.
    QString shown(const TesselSettings &settings) const;
    void copy(const TesselSettings &from, TesselSettings &to) const;
    bool differs(const TesselSettings &a, const TesselSettings &b) const;

    // Preview and full-screen pictures are decoded at these sizes: larger
    // ones would take gigabytes of memory for one picture.
    static constexpr int largestPictureSide = 4096;

    // Every setting of the file, in the order of its lines.
    static const QList<SettingField> &all();
    // Indexes into all() of the editor's rows, top to bottom.
    static QList<int> editorRows();
};

#endif
