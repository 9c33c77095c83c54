#include "cfgedit/cfgedit.h"

#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeWidget>

#include "config/tesseldata.h"
#include "config/tesseliocfg.h"
#include "filedialog/kwqtfileedit.h"

namespace {

// A row's text as a number: a null text keeps the old value, anything
// that is not a decimal integer counts as 0.
int numberFromText(const QString &text, int current)
{
    if (text.isNull())
        return current;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

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
      editItem(nullptr),
      changed(false)
{
    if (name)
        setWindowTitle(QString::fromLatin1(name));

    ListView->setSortingEnabled(false);
    ListView->header()->setSortIndicator(-1, Qt::AscendingOrder);
    ListView->setAllColumnsShowFocus(true);

    showMaximized();

    commonLabel = tr("common");
    dataPathLabel = tr("data path");
    fileExtLabel = tr("fileextension");
    mountLabel = tr("mount");
    flashPathLabel = tr("path on flash");
    deviceLabel = tr("device");
    mountPointLabel = tr("mountpoint");
    screenSizeLabel = tr("screensize");
    previewWidthLabel = tr("preview width");
    previewHeightLabel = tr("preview height");
    fullScreenWidthLabel = tr("fullscreen width");
    fullScreenHeightLabel = tr("fullscreen height");
    rotationLabel = tr("fscreen rotation");
    displayWidthLabel = tr("display width");
    displayHeightLabel = tr("display height");
    helpLabel = tr("help");
    helpFileLabel = tr("help file");
    helpProgLabel = tr("helpprog");

    using S = TesselSettings;
    entries = {
        {&commonLabel, &dataPathLabel, &S::dataPath, nullptr, Controls::All},
        {&commonLabel, &fileExtLabel, &S::fileExt, nullptr, Controls::EditAndClear},
        {&mountLabel, &flashPathLabel, &S::flashPath, nullptr, Controls::All},
        {&mountLabel, &deviceLabel, &S::device, nullptr, Controls::EditAndClear},
        {&mountLabel, &mountPointLabel, &S::mountPoint, nullptr, Controls::All},
        {&screenSizeLabel, &displayWidthLabel, nullptr, &S::screenWidth, Controls::EditAndClear},
        {&screenSizeLabel, &displayHeightLabel, nullptr, &S::screenHeight, Controls::EditAndClear},
        {&screenSizeLabel, &fullScreenWidthLabel, nullptr, &S::fullScreenWidth,
         Controls::EditAndClear},
        {&screenSizeLabel, &fullScreenHeightLabel, nullptr, &S::fullScreenHeight,
         Controls::EditAndClear},
        {&screenSizeLabel, &rotationLabel, nullptr, &S::fullScreenRotation, Controls::EditOnly},
        {&screenSizeLabel, &previewWidthLabel, nullptr, &S::previewWidth, Controls::EditAndClear},
        {&screenSizeLabel, &previewHeightLabel, nullptr, &S::previewHeight,
         Controls::EditAndClear},
        {&helpLabel, &helpProgLabel, &S::helpProg, nullptr, Controls::None},
        {&helpLabel, &helpFileLabel, &S::helpFile, nullptr, Controls::All},
    };

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
    changed = false;
    ToolButton->setEnabled(false);
    LineEdit->setEnabled(false);
    ClearButton->setEnabled(false);
    LineEdit->clear();
}

void cfgEdit::copySettings(const TesselSettings &from, TesselSettings &to)
{
    for (const Entry &entry : entries) {
        if (entry.text)
            to.*entry.text = from.*entry.text;
        else
            to.*entry.number = from.*entry.number;
    }
}

void cfgEdit::fillListView()
{
    if (!ListView)
        return;
    ListView->clear();
    QTreeWidgetItem *groupItem = nullptr;
    for (const Entry &entry : entries) {
        if (!groupItem || groupItem->text(0) != *entry.group)
            groupItem = new QTreeWidgetItem(ListView, QStringList{*entry.group});
        const QString content = entry.text ? data->*entry.text
                                           : QString::asprintf("%d", data->*entry.number);
        new QTreeWidgetItem(groupItem, QStringList{*entry.label, content});
    }
}

void cfgEdit::readListView()
{
    for (const Entry &entry : entries) {
        const QString text = findEntry(ListView, *entry.group, *entry.label, 1);
        if (entry.text)
            workCopy.*entry.text = text;
        else
            workCopy.*entry.number = numberFromText(text, workCopy.*entry.number);
    }
}

void cfgEdit::checkModified()
{
    for (const Entry &entry : entries) {
        const bool differs = entry.text ? workCopy.*entry.text != data->*entry.text
                                        : workCopy.*entry.number != data->*entry.number;
        if (differs)
            changed = true;
    }
}

const cfgEdit::Entry *cfgEdit::entryFor(const QString &label) const
{
    for (const Entry &entry : entries) {
        if (*entry.label == label)
            return &entry;
    }
    return nullptr;
}

void cfgEdit::setControls(Controls controls)
{
    ToolButton->setEnabled(controls == Controls::All);
    LineEdit->setEnabled(controls != Controls::None);
    ClearButton->setEnabled(controls == Controls::All || controls == Controls::EditAndClear);
}

// Refuses, with a message naming the entry, a copy that the settings file
// could not hold; otherwise makes it the shared settings.
bool cfgEdit::storeWorkCopy()
{
    for (const Entry &entry : entries) {
        if (entry.text && !TesselIOCfg::isStorable(workCopy.*entry.text)) {
            QMessageBox::information(
                this, tr("Configuration"),
                tr("The entry \"%1\" contains a line break, \";\" or a character the "
                   "settings file cannot hold.\nPlease correct it.")
                    .arg(*entry.label),
                QMessageBox::Ok);
            return false;
        }
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
    const int answer = QMessageBox::information(
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
    if (!editItem)
        return;
    const QString label = editItem->text(0);
    QString chosen;
    if (label == dataPathLabel) {
        chosen = KwQtFileEdit::chooseDir(this, "", data->dataPath);
    } else if (label == helpFileLabel) {
        QString startDir = data->helpFile;
        if (!startDir.isEmpty() && startDir.contains('/'))
            startDir.truncate(startDir.lastIndexOf('/'));
        chosen = KwQtFileEdit::chooseFile(this, "", startDir, "*.html");
    } else if (label == mountPointLabel) {
        chosen = KwQtFileEdit::chooseDir(this, "", "/mnt");
    } else if (label == flashPathLabel) {
        chooseFlashPath();
    }
    if (!chosen.isEmpty())
        LineEdit->setText(chosen);
}

// The entry holds a path relative to the mount point; a folder elsewhere
// has no such path, so it is refused rather than stored mangled.
void cfgEdit::chooseFlashPath()
{
    const QString chosen =
        KwQtFileEdit::chooseDir(this, "", data->mountPoint + "/" + data->flashPath);
    if (chosen.isEmpty())
        return;
    QString relative;
    if (!relativeToMountPoint(chosen, data->mountPoint, &relative)) {
        QMessageBox::information(this, tr("Configuration"),
                                 tr("The folder %1 is not on the card mounted at \"%2\".\n"
                                    "The path on flash must lie below the mount point.")
                                     .arg(chosen, data->mountPoint),
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
    const Entry *entry = entryFor(item->text(0));
    setControls(entry ? entry->controls : Controls::None);
}

void cfgEdit::slotTextChanged(const QString &text)
{
    if (editItem)
        editItem->setText(1, text);
}

void cfgEdit::closeEvent(QCloseEvent *event)
{
    slotCancel();
    event->ignore();
}
