#include "kwqtfileedit.h"

#include <QPointer>

#include "kwqtfileeditdlg.h"

namespace {

// How each way of choosing configures the dialog before it is run.
struct Preset
{
    int filterSpec;
    bool applyNameFilter;
    bool appendExtension;
    bool mkDirAllowed;
    bool dirsFirst;
    bool foldersOnly;
};

QString runDialog(QWidget *parent, const char *name, const QString &startDir,
                  const QString &filter, const Preset &preset)
{
    QPointer<KwQtFileEditDlg> dialog = new KwQtFileEditDlg(parent, name, startDir, filter);
    dialog->setFilterSpec(preset.filterSpec);
    dialog->setApplyNameFilter(preset.applyNameFilter);
    dialog->setAppendExtension(preset.appendExtension);
    dialog->setMkDirAllowed(preset.mkDirAllowed);
    dialog->setDirsFirst(preset.dirsFirst);
    dialog->setFoldersOnly(preset.foldersOnly);
    dialog->refresh();

    const int answer = dialog->exec();
    // The parent may have taken the dialog with it while it ran.
    if (!dialog)
        return QString();
    const QString result = answer == QDialog::Accepted ? dialog->selectedPath() : QString();
    delete dialog;
    return result;
}

} // namespace

KwQtFileEdit::KwQtFileEdit(QObject *parent, const char *name)
    : QObject(parent)
{
    if (name)
        setObjectName(QString::fromUtf8(name));
}

QString KwQtFileEdit::chooseFile(QWidget *parent, const char *name, const QString &startDir,
                                 const QString &filter)
{
    return runDialog(parent, name, startDir, filter,
                     {QDir::AllEntries | QDir::System, true, false, false, true, false});
}

QString KwQtFileEdit::chooseSaveFile(QWidget *parent, const char *name, const QString &startDir,
                                     const QString &filter)
{
    return runDialog(parent, name, startDir, filter, {QDir::AllEntries, true, true, false, true, false});
}

QString KwQtFileEdit::chooseDir(QWidget *parent, const char *name, const QString &startDir)
{
    return runDialog(parent, name, startDir, QStringLiteral("*"),
                     {QDir::Dirs, false, false, false, true, false});
}

QString KwQtFileEdit::chooseDirMkDir(QWidget *parent, const char *name, const QString &startDir,
                                     const QString &filter)
{
    return runDialog(parent, name, startDir, filter, {QDir::AllEntries, false, true, true, true, true});
}
