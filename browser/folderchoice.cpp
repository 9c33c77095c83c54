#include "folderchoice.h"

#include "tesseliocfg.h"
#include "kwqtfileedit.h"
#include "folder.h"

namespace {

FolderChoice::Choice checked(const QString &dir)
{
    if (dir.isEmpty())
        return {};
    const QString refusal = FolderChoice::refusal(dir);
    return refusal.isEmpty() ? FolderChoice::Choice{dir, QString()}
                             : FolderChoice::Choice{QString(), refusal};
}

} // namespace

QString FolderChoice::refusal(const QString &dir)
{
    if (!Folder::isPlainPath(dir))
        return tr("The path\n%1\nholds a name that is not valid UTF-8.\n"
                  "The directory stays as it was.")
            .arg(dir);
    if (TesselIOCfg::isStorable(dir))
        return QString();
    return tr("The path\n%1\ncontains a line break, \";\" or a character "
              "the settings file cannot hold.\nThe directory stays as it was.")
        .arg(dir);
}

FolderChoice::Choice FolderChoice::choose(QWidget *parent, const QString &current)
{
    return checked(KwQtFileEdit::chooseDir(parent, "", current));
}

FolderChoice::Choice FolderChoice::chooseOrMake(QWidget *parent, const QString &current)
{
    return checked(KwQtFileEdit::chooseDirMkDir(parent, "", current, "*"));
}
