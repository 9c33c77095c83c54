#include "settingfield.h"

#include <QtGlobal>

#include <algorithm>

namespace {

using S = TesselSettings;
using E = SettingField::Editing;

const char *const common = QT_TRANSLATE_NOOP("cfgEdit", "common");
const char *const mount = QT_TRANSLATE_NOOP("cfgEdit", "mount");
const char *const screenSize = QT_TRANSLATE_NOOP("cfgEdit", "screensize");
const char *const help = QT_TRANSLATE_NOOP("cfgEdit", "help");
const int largest = SettingField::largestPictureSide;

} // namespace

const QList<SettingField> &SettingField::all()
{
    // The file writes its texts first, then its numbers; the editor groups
    // the rows by what they are about.
    static const QList<SettingField> fields{
        {"DATAPATH", &S::dataPath, nullptr, common, QT_TRANSLATE_NOOP("cfgEdit", "data path"), 0,
         E::Chooser},
        {"FLASHPATH", &S::flashPath, nullptr, mount,
         QT_TRANSLATE_NOOP("cfgEdit", "path on flash"), 2, E::Chooser},
        {"DEVICE", &S::device, nullptr, mount, QT_TRANSLATE_NOOP("cfgEdit", "device"), 3,
         E::Typed},
        {"MOUNTPOINT", &S::mountPoint, nullptr, mount, QT_TRANSLATE_NOOP("cfgEdit", "mountpoint"),
         4, E::Chooser},
        {"FILEEXT", &S::fileExt, nullptr, common, QT_TRANSLATE_NOOP("cfgEdit", "fileextension"), 1,
         E::Typed},
        {"LEFTPATH", &S::leftPath, nullptr, nullptr, nullptr, -1, E::NotShown},
        {"RIGHTPATH", &S::rightPath, nullptr, nullptr, nullptr, -1, E::NotShown},
        {"HELPPROG", &S::helpProg, nullptr, help, QT_TRANSLATE_NOOP("cfgEdit", "helpprog"), 12,
         E::Shown},
        {"HELPFILE", &S::helpFile, nullptr, help, QT_TRANSLATE_NOOP("cfgEdit", "help file"), 13,
         E::Chooser},
        {"SCREEN WIDTH", nullptr, &S::screenWidth, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "display width"), 5, E::Typed},
        {"SCREEN HEIGHT", nullptr, &S::screenHeight, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "display height"), 6, E::Typed},
        {"PREVIEW WIDTH", nullptr, &S::previewWidth, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "preview width"), 10, E::Typed, 1, largest},
        {"PREVIEW HEIGHT", nullptr, &S::previewHeight, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "preview height"), 11, E::Typed, 1, largest},
        {"FULLSCREEN WIDTH", nullptr, &S::fullScreenWidth, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "fullscreen width"), 7, E::Typed, 1, largest},
        {"FULLSCREEN HEIGHT", nullptr, &S::fullScreenHeight, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "fullscreen height"), 8, E::Typed, 1, largest},
        {"FULLSCREEN ROTATION", nullptr, &S::fullScreenRotation, screenSize,
         QT_TRANSLATE_NOOP("cfgEdit", "fscreen rotation"), 9, E::TypedOnly},
    };
    return fields;
}

QList<int> SettingField::editorRows()
{
    QList<int> rows;
    for (int i = 0; i < all().size(); ++i) {
        if (all()[i].editorRow >= 0)
            rows << i;
    }
    std::sort(rows.begin(), rows.end(),
              [](int a, int b) { return all()[a].editorRow < all()[b].editorRow; });
    return rows;
}

QString SettingField::shown(const TesselSettings &settings) const
{
    return text ? settings.*text : QString::asprintf("%d", settings.*number);
}

void SettingField::copy(const TesselSettings &from, TesselSettings &to) const
{
    if (text)
        to.*text = from.*text;
    else
        to.*number = from.*number;
}

bool SettingField::differs(const TesselSettings &a, const TesselSettings &b) const
{
    return text ? a.*text != b.*text : a.*number != b.*number;
}
