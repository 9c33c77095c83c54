#include "kwqtfileeditdlg.h"

#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStyleHints>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "diagnostics.h"
#include "systemcalls.h"
#include "plainmessagebox.h"

#include "diricon.xpm"
#include "fileicon.xpm"
#include "linkicon.xpm"
#include "parenticon.xpm"

namespace {

// Joins a directory and a name and simplifies the result textually. Going
// up from the root stays at the root: "/.." names the root, and returning
// it as "/.." would hand callers a path that no longer compares equal to
// the directory the user sees.
QString joinPath(const QString &dir, const QString &name)
{
    QString path = QDir::cleanPath(dir + QLatin1Char('/') + name);
    while (path.startsWith(QLatin1String("/..")) && (path.size() == 3 || path.at(3) == '/'))
        path = path.size() == 3 ? QStringLiteral("/") : path.mid(3);
    return path;
}

} // namespace

KwQtFileEditDlg::KwQtFileEditDlg(QWidget *parent, const char *name, const QString &startDir,
                                 const QString &filter)
    : KwQtFileDlg(parent, name, true, {}),
      QDir(startDir, QStringLiteral("*"), SortFlags(Name | IgnoreCase), AllEntries)
{
    if (!filter.isEmpty())
        setNameFilters({filter});

    dirPath = startDir;
    nameFilter = filter;
    appendExtension = false;

    ListView->setAllColumnsShowFocus(true);
    ListView->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);

    fileIcon = std::make_unique<const QPixmap>(fileicon_xpm);
    dirIcon = std::make_unique<const QPixmap>(diricon_xpm);
    linkIcon = std::make_unique<const QPixmap>(linkicon_xpm);
    parentIcon = std::make_unique<const QPixmap>(parenticon_xpm);
    fileItemIcon = QIcon(*fileIcon);
    dirItemIcon = QIcon(*dirIcon);
    linkItemIcon = QIcon(*linkIcon);
    parentItemIcon = QIcon(*parentIcon);

    showMaximized();

    setMkDirAllowed(false);

    DirComboBox->clear();
    DirComboBox->addItem(QStringLiteral("/"));
    if (!dirPath.isEmpty())
        DirComboBox->addItem(dirPath);
    TypeComboBox->clear();
    TypeComboBox->addItem(QStringLiteral("*"));
    if (!nameFilter.isEmpty())
        TypeComboBox->addItem(nameFilter);

    dirText = tr("dir");
    fileText = tr("file");
    linkText = tr("link");

    busy = false;
    showDirTimer.stop();
    showDirTimer.setSingleShot(true);
    connect(&showDirTimer, &QTimer::timeout, this, &KwQtFileEditDlg::slotShowDir);

    filterSpec = AllEntries;
    applyNameFilter = false;
    dirsFirst = false;

    ListView->viewport()->installEventFilter(this);
}

KwQtFileEditDlg::~KwQtFileEditDlg() = default;

void KwQtFileEditDlg::setMkDirAllowed(bool on)
{
    mkDirAllowed = on;
    MkDirButton->setEnabled(on);
}

void KwQtFileEditDlg::refresh()
{
    entryList = readDir(dirPath, nameFilter);
    slotShowDir();
}

const QFileInfoList *KwQtFileEditDlg::readDir(const QString &path, const QString &pattern)
{
    busy = true;
    const QString directory = path.isEmpty() ? QStringLiteral("/") : path;
    const QString wildcard = pattern.isEmpty() ? QStringLiteral("*") : pattern;
    addToHistory(DirComboBox, directory);
    addToHistory(TypeComboBox, wildcard);

    setFilter(Filters(filterSpec));
    if (dirsFirst)
        setSorting(DirsFirst);
    if (applyNameFilter)
        setNameFilters({wildcard});
    setPath(directory);

    const QFileInfoList *entries = nullptr;
    if (exists() && isReadable() && SystemCalls::canOpenDirectory(directory)) {
        lastRead = entryInfoList();
        entries = &lastRead;
    }
    busy = false;
    return entries;
}

QString KwQtFileEditDlg::selectedPath()
{
    dirPath = joinPath(dirPath, fileName);
    return dirPath;
}

void KwQtFileEditDlg::addToHistory(QComboBox *box, const QString &text)
{
    if (text.isEmpty() || selectInCombo(box, text))
        return;
    if (box->count() > 7)
        box->removeItem(1);
    box->addItem(text);
    box->setCurrentIndex(box->count() - 1);
}

bool KwQtFileEditDlg::selectInCombo(QComboBox *box, const QString &text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i) == text) {
            box->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

QTreeWidgetItem *KwQtFileEditDlg::newListItem(const QFileInfo &info) const
{
    const QString name = info.fileName();
    QString size;
    QString type;
    const QIcon *icon = nullptr;
    if (info.isDir()) {
        type = dirText;
        icon = &dirItemIcon;
    } else if (info.isSymLink()) {
        type = linkText;
        icon = &linkItemIcon;
    } else if (info.isFile()) {
        type = fileText;
        size = QString::number(info.size());
        icon = &fileItemIcon;
    } else {
        Diagnostics::print("something else\n");
    }
    if (name == QLatin1String("."))
        return nullptr;
    if (name == QLatin1String(".."))
        icon = &parentItemIcon;

    auto *item = new QTreeWidgetItem(QStringList{name, size, type});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    if (icon)
        item->setIcon(0, *icon);
    return item;
}

void KwQtFileEditDlg::slotShowDir()
{
    if (!entryList)
        return;
    ListView->clear();

    QList<QTreeWidgetItem *> items;
    items.reserve(entryList->size());
    for (const QFileInfo &info : *entryList) {
        if (info.fileName().isNull())
            continue;
        if (QTreeWidgetItem *item = newListItem(info))
            items.append(item);
    }
    // Sorting while inserting would re-sort after every item; sort once.
    ListView->setSortingEnabled(false);
    ListView->addTopLevelItems(items);
    ListView->setSortingEnabled(true);
    for (int column = 0; column < ListView->columnCount(); ++column)
        ListView->resizeColumnToContents(column);
}

bool KwQtFileEditDlg::isSecondClickOfNavigation(const QEvent *event)
{
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    const quint64 interval = quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (navigatedByClick && mouse->timestamp() - lastPressTime < interval)
        return true;
    if (event->type() == QEvent::MouseButtonPress) {
        navigatedByClick = false;
        buttonDown = true;
        lastPressTime = mouse->timestamp();
    }
    return false;
}

bool KwQtFileEditDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return isSecondClickOfNavigation(event);
        case QEvent::MouseButtonRelease:
            buttonDown = false;
            break;
        default:
            break;
        }
    }
    return KwQtFileDlg::eventFilter(watched, event);
}

void KwQtFileEditDlg::enterDir(const QString &name)
{
    if (buttonDown)
        navigatedByClick = true;
    const QString previous = dirPath;
    dirPath = joinPath(dirPath, name);
    entryList = readDir(dirPath, nameFilter);
    if (!entryList) {
        dirPath = previous;
        entryList = readDir(dirPath, nameFilter);
    }
    // The list is refilled later: this runs inside the list's own signal,
    // which must not see its items deleted under it.
    showDirTimer.start(10);
}

void KwQtFileEditDlg::slotSelectionChanged(QTreeWidgetItem *item)
{
    if (!item || item->text(2).isNull())
        return;
    const QString type = item->text(2);
    if (type == dirText) {
        if (!busy)
            enterDir(item->text(0));
    } else if (type == fileText && !foldersOnly) {
        const QString name = item->text(0);
        FNameLineEdit->setText(name);
        fileName = name;
    }
}

void KwQtFileEditDlg::slotDoubleClicked(QTreeWidgetItem *item)
{
    if (!item || item->text(2) != dirText || busy)
        return;
    enterDir(item->text(0));
}

void KwQtFileEditDlg::slotDirComboBoxChanged(int)
{
    if (busy)
        return;
    dirPath = DirComboBox->currentText();
    entryList = readDir(dirPath, nameFilter);
    slotShowDir();
}

void KwQtFileEditDlg::slotTypeComboBoxChanged(int)
{
    if (busy)
        return;
    nameFilter = TypeComboBox->currentText();
    entryList = readDir(dirPath, nameFilter);
    slotShowDir();
}

void KwQtFileEditDlg::slotFileTextChanged(const QString &text)
{
    fileName = text;
}

void KwQtFileEditDlg::slotMkDir()
{
    const QString name = FNameLineEdit->text();
    if (!mkDirAllowed || name.isEmpty())
        return;
    // Resolved against the working directory, as the reads resolve dirPath;
    // handing a relative path to the directory object would nest it below
    // its own path a second time.
    const QString target = joinPath(dirPath, name);
    if (::mkdir(QFile::encodeName(QDir::current().absoluteFilePath(target)).constData(), 0777) !=
        0) {
        const int err = errno;
        PlainMessageBox::information(this, tr("make directory"),
                                     tr("The directory\n%1\ncannot be made:\n%2")
                                         .arg(target, QString::fromLocal8Bit(strerror(err))),
                                     QMessageBox::Ok);
    }

    entryList = readDir(dirPath, nameFilter);
    FNameLineEdit->setText(QString());
    slotShowDir();
}

void KwQtFileEditDlg::slotOK()
{
    if (appendExtension) {
        const QString pattern = TypeComboBox->currentText();
        const int dot = pattern.lastIndexOf(QLatin1Char('.'));
        if (pattern != QLatin1String("*") && dot >= 0) {
            const QString extension = pattern.mid(dot);
            if (!fileName.contains(extension))
                fileName += extension;
        }
    }
    if (foldersOnly) {
        const QString chosen = joinPath(dirPath, fileName);
        if (!QFileInfo(QDir::current().absoluteFilePath(chosen)).isDir()) {
            PlainMessageBox::information(this, tr("choose directory"),
                                         tr("%1\nis not a directory").arg(chosen), QMessageBox::Ok);
            return;
        }
    }
    accept();
}

void KwQtFileEditDlg::slotCancel()
{
    reject();
}
