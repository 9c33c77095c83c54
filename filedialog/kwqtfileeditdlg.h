#ifndef KWQTFILEEDITDLG_H
#define KWQTFILEEDITDLG_H

#include <QDir>
#include <QFileInfoList>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QTimer>

#include <memory>

#include "kwqtfiledlg.h"

class QComboBox;

// The file dialog's behaviour. The dialog is itself the directory whose
// entries it lists; KwQtFileEdit's static functions configure and run it.
class KwQtFileEditDlg : public KwQtFileDlg, public QDir
{
    Q_OBJECT

public:
    KwQtFileEditDlg(QWidget *parent, const char *name, const QString &startDir,
                    const QString &filter);
    ~KwQtFileEditDlg() override;

    // These take effect at the next read.
    void setAppendExtension(bool on) { appendExtension = on; }
    void setFilterSpec(int spec) { filterSpec = spec; }
    void setApplyNameFilter(bool on) { applyNameFilter = on; }
    void setDirsFirst(bool on) { dirsFirst = on; }
    void setMkDirAllowed(bool on);
    // Only an existing directory may be returned; file entries do not fill
    // the name field.
    void setFoldersOnly(bool on) { foldersOnly = on; }

    // Reads the current directory and fills the list at once.
    void refresh();
    // Entries of `path` (or "/") matching `pattern` (or "*"); null when the
    // directory cannot be read. The list stays valid until the next read.
    const QFileInfoList *readDir(const QString &path, const QString &pattern);
    // The current directory joined with the file name; also becomes the
    // current directory.
    QString selectedPath();

    // Makes `text` the current entry of `box`, appending it when new; the
    // box keeps its first entry and the seven latest.
    void addToHistory(QComboBox *box, const QString &text);
    // Makes the first entry equal to `text` current; false if there is none.
    bool selectInCombo(QComboBox *box, const QString &text);

private slots:
    void slotOK() override;
    void slotCancel() override;
    void slotDoubleClicked(QTreeWidgetItem *item) override;
    void slotSelectionChanged(QTreeWidgetItem *item) override;
    void slotDirComboBoxChanged(int) override;
    void slotTypeComboBoxChanged(int) override;
    void slotFileTextChanged(const QString &text) override;
    void slotShowDir();
    void slotMkDir() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enterDir(const QString &name);
    bool isSecondClickOfNavigation(const QEvent *event);
    QTreeWidgetItem *newListItem(const QFileInfo &info) const;

    QString dirPath;
    QString nameFilter;
    QString fileName;
    QString dirText;
    QString linkText;
    QString fileText;

    std::unique_ptr<const QPixmap> fileIcon;
    std::unique_ptr<const QPixmap> dirIcon;
    std::unique_ptr<const QPixmap> linkIcon;
    std::unique_ptr<const QPixmap> parentIcon;
    // Shared by every list item, so a long listing holds four icons, not
    // one per entry.
    QIcon fileItemIcon;
    QIcon dirItemIcon;
    QIcon linkItemIcon;
    QIcon parentItemIcon;

    QTimer showDirTimer;
    QFileInfoList lastRead;
    const QFileInfoList *entryList = nullptr;
    int filterSpec = QDir::AllEntries;
    bool mkDirAllowed = false;
    bool dirsFirst = false;
    bool applyNameFilter = false;
    bool appendExtension = false;
    bool foldersOnly = false;
    bool busy = false;

    // A click on a folder enters it at once, so the second click of a
    // double-click would land on a row of the new list.
    bool buttonDown = false;
    bool navigatedByClick = false;
    quint64 lastPressTime = 0;
};

#endif
