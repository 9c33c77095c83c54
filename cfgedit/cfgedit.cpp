#include "cfgedit.h"

#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QResizeEvent>
#include <QToolButton>
#include <QTreeWidget>

#include "tesseldata.h"
#include "tesseliocfg.h"
#include "kwqtfileedit.h"
#include "plainmessagebox.h"

namespace {

// `path` relative to `mountPoint` when it is the mount point itself or lies
// below it. An empty mount point puts the card at the root, as the source
// folder (mount point + "/" + path on flash) then starts at "/".
bool relativeToMountPoint(const QString &path, const QString &mountPoint, QString *relative)
{
    const QString cleanPath = QDir::cleanPath(path);
    const QString mount = QDir::cleanPath(mountPoint);
    if (mount.isEmpty() || mount == "/") {
        if (!cleanPath.startsWith('/'))
            return false;
        *relative = cleanPath.mid(1);
        return true;
    }
    if (cleanPath == mount) {
        *relative = QString("");
        return true;
    }
    if (!cleanPath.startsWith(mount + '/'))
        return false;
    *relative = cleanPath.mid(mount.length() + 1);
    return true;
}

} // namespace

cfgEdit::cfgEdit(QWidget *parent, const char *name, bool modal, TesselData *settings)
    : CfgDlg(parent, name, modal, Qt::WindowFlags()),
      data(settings),
      workCopy(*settings),
      editItem(nullptr),
      changed(false)
{
    // Building the editor has always looked the settings directory up
    // anew, and said so on standard output when TESSELCFG is unset.
    workCopy.lookUpCfgPath();
    if (name)
        setWindowTitle(QString::fromLatin1(name));

    ListView->setSortingEnabled(false);
    ListView->header()->setSortIndicator(-1, Qt::AscendingOrder);
    ListView->setAllColumnsShowFocus(true);
    // The values get the room; a label too long for its share is elided.
    ListView->header()->setStretchLastSection(true);
    ListView->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    ListView->setTextElideMode(Qt::ElideRight);

    // Without a window manager nothing maximises the dialog: it keeps this size.
    resize(data->screenWidth, data->screenHeight);
    showMaximized();

    setupEdit();
    ListView->setFocusProxy(LineEdit);
    changed = false;
}

cfgEdit::~cfgEdit() = default;

void cfgEdit::setupEdit()
{
    editItem = nullptr;
    copySettings(*data, workCopy);
    fillListView();
    fitColumns();
    changed = false;
    ToolButton->setEnabled(false);
    LineEdit->setEnabled(false);
    ClearButton->setEnabled(false);
    LineEdit->clear();
}

void cfgEdit::copySettings(const TesselSettings &from, TesselSettings &to)
{
    for (int index : SettingField::editorRows())
        SettingField::all()[index].copy(from, to);
}

// Each entry row carries the index of its setting, so finding the setting
// again never depends on how its label was translated.
void cfgEdit::fillListView()
{
    if (!ListView)
        return;
    ListView->clear();
    QTreeWidgetItem *groupItem = nullptr;
    const char *group = nullptr;
    for (int index : SettingField::editorRows()) {
        const SettingField &field = SettingField::all()[index];
        if (!groupItem || qstrcmp(group, field.group) != 0) {
            group = field.group;
            groupItem = new QTreeWidgetItem(ListView, QStringList{tr(group)});
        }
        auto *entry = new QTreeWidgetItem(groupItem, QStringList{tr(field.label), field.shown(*data)});
        entry->setData(0, Qt::UserRole, index);
    }
}

void cfgEdit::readListView()
{
    refusal.clear();
    for (int g = 0; g < ListView->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *groupItem = ListView->topLevelItem(g);
        for (int e = 0; e < groupItem->childCount(); ++e) {
            const QTreeWidgetItem *entry = groupItem->child(e);
            const SettingField *field = fieldOf(entry);
            if (!field)
                continue;
            readEntry(*field, entry->text(1));
        }
    }
}

// Numbers are taken in the forms the settings file knows, within their
// range; any other text leaves the copy as it was and is refused on OK.
void cfgEdit::readEntry(const SettingField &field, const QString &text)
{
    const QString label = tr(field.label);
    if (field.text) {
        workCopy.*field.text = text;
        if (!TesselIOCfg::isStorable(text))
            refuse(tr("The entry \"%1\" contains a line break, \";\" or a character the "
                      "settings file cannot hold.\nPlease correct it.")
                       .arg(label));
        return;
    }
    if (text.isNull())
        return;
    int value = 0;
    if (!TesselIOCfg::numberFromText(text.trimmed(), &value))
        refuse(tr("The entry \"%1\" needs a whole number, in decimal or in hexadecimal after "
                  "0x or h.\nPlease correct it.")
                   .arg(label));
    else if (!field.accepts(value))
        refuse(tr("The entry \"%1\" must lie between %2 and %3.\nPlease correct it.")
                   .arg(label)
                   .arg(field.least)
                   .arg(field.most));
    else
        workCopy.*field.number = value;
}

void cfgEdit::refuse(const QString &why)
{
    if (refusal.isEmpty())
        refusal = why;
}

void cfgEdit::checkModified()
{
    // A refused row is a change too, one that cannot be stored as it is.
    if (!refusal.isEmpty())
        changed = true;
    for (int index : SettingField::editorRows()) {
        if (SettingField::all()[index].differs(workCopy, *data))
            changed = true;
    }
}

const SettingField *cfgEdit::fieldOf(const QTreeWidgetItem *item) const
{
    bool ok = false;
    const int index = item->data(0, Qt::UserRole).toInt(&ok);
    return ok ? &SettingField::all()[index] : nullptr;
}

void cfgEdit::setControls(SettingField::Editing editing)
{
    using E = SettingField::Editing;
    ToolButton->setEnabled(editing == E::Chooser);
    LineEdit->setEnabled(editing == E::Chooser || editing == E::Typed || editing == E::TypedOnly);
    ClearButton->setEnabled(editing == E::Chooser || editing == E::Typed);
}

// Refuses, with a message naming the entry, rows that the settings could
// not hold; otherwise makes the copy the shared settings.
bool cfgEdit::storeWorkCopy()
{
    if (!refusal.isEmpty()) {
        PlainMessageBox::information(this, tr("Configuration"), refusal, QMessageBox::Ok);
        return false;
    }
    copySettings(workCopy, *data);
    data->setModified(true);
    changed = false;
    return true;
}

void cfgEdit::slotOK()
{
    readListView();
    checkModified();
    if (changed && !storeWorkCopy())
        return;
    accept();
}

void cfgEdit::slotCancel()
{
    readListView();
    checkModified();
    if (!changed) {
        reject();
        return;
    }
    const int answer = PlainMessageBox::information(
        this, tr("Cancel"), tr("You have modified the data!\nDo you want to save the changes ?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) {
        if (storeWorkCopy())
            accept();
    } else if (answer == QMessageBox::No) {
        changed = false;
        reject();
    }
}

void cfgEdit::slotSelectButton()
{
    const SettingField *field = editItem ? fieldOf(editItem) : nullptr;
    if (!field)
        return;
    using S = TesselSettings;
    QString chosen;
    if (field->text == &S::dataPath) {
        chosen = KwQtFileEdit::chooseDir(this, "", data->dataPath);
    } else if (field->text == &S::helpFile) {
        QString startDir = data->helpFile;
        if (!startDir.isEmpty() && startDir.contains('/'))
            startDir.truncate(startDir.lastIndexOf('/'));
        chosen = KwQtFileEdit::chooseFile(this, "", startDir, "*.html");
    } else if (field->text == &S::mountPoint) {
        chosen = KwQtFileEdit::chooseDir(this, "", "/mnt");
    } else if (field->text == &S::flashPath) {
        chooseFlashPath();
    }
    if (!chosen.isEmpty())
        LineEdit->setText(chosen);
}

void cfgEdit::setCardMountPoint(const QString &mountPoint)
{
    cardMountPoint = mountPoint;
}

// The entry holds a path relative to the mount point, the one of the
// settings or the one udisks2 reported; a folder elsewhere has no such
// path, so it is refused rather than stored mangled.
void cfgEdit::chooseFlashPath()
{
    const QString mount = cardMountPoint.isEmpty() ? data->mountPoint : cardMountPoint;
    const QString chosen = KwQtFileEdit::chooseDir(this, "", mount + "/" + data->flashPath);
    if (chosen.isEmpty())
        return;
    QString relative;
    if ((cardMountPoint.isEmpty() || !relativeToMountPoint(chosen, cardMountPoint, &relative)) &&
        !relativeToMountPoint(chosen, data->mountPoint, &relative)) {
        PlainMessageBox::information(this, tr("Configuration"),
                                     tr("The folder %1 is not on the card mounted at \"%2\".\n"
                                        "The path on flash must lie below the mount point.")
                                         .arg(chosen, mount),
                                     QMessageBox::Ok);
        return;
    }
    LineEdit->setText(relative);
}

void cfgEdit::slotClearLine()
{
    LineEdit->setText("");
}

void cfgEdit::slotSelectionChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    editItem = item;
    LineEdit->setText(item->text(1));
    const SettingField *field = fieldOf(item);
    setControls(field ? field->editing : SettingField::Editing::Shown);
}

void cfgEdit::slotTextChanged(const QString &text)
{
    if (editItem)
        editItem->setText(1, text);
}

void cfgEdit::resizeEvent(QResizeEvent *event)
{
    CfgDlg::resizeEvent(event);
    fitColumns();
}

// The labels take what the longest of them needs, but never more than
// half of the list; the values have the rest.
void cfgEdit::fitColumns()
{
    if (!ListView)
        return;
    const QFontMetrics metrics(ListView->font());
    int labels = metrics.horizontalAdvance(ListView->headerItem()->text(0));
    for (int g = 0; g < ListView->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *groupItem = ListView->topLevelItem(g);
        labels = qMax(labels, metrics.horizontalAdvance(groupItem->text(0)));
        for (int e = 0; e < groupItem->childCount(); ++e)
            labels = qMax(labels, ListView->indentation() +
                                      metrics.horizontalAdvance(groupItem->child(e)->text(0)));
    }
    // Room for the branch mark and the cell's margins.
    labels += ListView->indentation() + 2 * metrics.averageCharWidth();
    ListView->setColumnWidth(0, qMin(labels, ListView->viewport()->width() / 2));
}

void cfgEdit::closeEvent(QCloseEvent *event)
{
    slotCancel();
    event->ignore();
}
