#include "browser/folderchoice.h"

#include <QMessageBox>

#include "browser/picturepane.h"
#include "config/tesseliocfg.h"
#include "filedialog/kwqtfileedit.h"
#include "platform/folder.h"

bool FolderChoice::accept(QWidget *parent, const QString &dir)
{
    if (!Folder::isPlainPath(dir)) {
        QMessageBox::information(parent, tr("change directory"),
                                 tr("The path\n%1\nholds a name that is not valid UTF-8.\n"
                                    "The directory stays as it was.")
                                     .arg(dir),
                                 QMessageBox::Ok);
        return false;
    }
    if (TesselIOCfg::isStorable(dir))
        return true;
    QMessageBox::information(parent, tr("change directory"),
                             tr("The path\n%1\ncontains a line break, \";\" or a character "
                                "the settings file cannot hold.\nThe directory stays as it was.")
                                 .arg(dir),
                             QMessageBox::Ok);
    return false;
}

bool FolderChoice::choose(QWidget *parent, PicturePane &pane)
{
    const QString dir = KwQtFileEdit::chooseDir(parent, "", pane.folder());
    if (dir.isEmpty() || !accept(parent, dir))
        return false;
    pane.setFolder(dir);
    return true;
}

QString FolderChoice::chooseOrMake(QWidget *parent, const QString &current)
{
    const QString dir = KwQtFileEdit::chooseDirMkDir(parent, "", current, "*");
    return dir.isEmpty() || !accept(parent, dir) ? QString() : dir;
}
