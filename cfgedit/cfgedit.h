#ifndef CFGEDIT_H
#define CFGEDIT_H

#include <QString>

#include "widgettools.h"
#include "cfgdlg.h"
#include "settingfield.h"
#include "tesselsettings.h"

class QCloseEvent;
class QResizeEvent;
class TesselData;

// Edits fourteen of the shared settings on a private copy, shown as a
// two-level list; the copy reaches the shared settings only on OK (or Yes
// to the question on Cancel).
class cfgEdit : public CfgDlg, public WidgetTools
{
    Q_OBJECT
public:
    cfgEdit(QWidget *parent, const char *name, bool modal, TesselData *data);
    ~cfgEdit() override;

    // Reloads the copy and the list from the shared settings; called before
    // every opening, so values typed and not accepted earlier are dropped.
    void setupEdit();
    void copySettings(const TesselSettings &from, TesselSettings &to);
    void fillListView();
    void readListView();
    void checkModified();
    // Where udisks2 mounted the card, when it did: the path on flash may
    // then be chosen below it too, and the chooser starts there. Empty
    // for none.
    void setCardMountPoint(const QString &mountPoint);

protected slots:
    void slotOK() override;
    void slotCancel() override;
    void slotSelectButton() override;
    void slotClearLine() override;
    void slotSelectionChanged(QTreeWidgetItem *item) override;
    void slotTextChanged(const QString &text) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    const SettingField *fieldOf(const QTreeWidgetItem *item) const;
    void setControls(SettingField::Editing editing);
    void chooseFlashPath();
    void readEntry(const SettingField &field, const QString &text);
    void refuse(const QString &why);
    bool storeWorkCopy();
    void fitColumns();

    TesselData *data;
    TesselSettings workCopy;
    QTreeWidgetItem *editItem;
    bool changed;
    QString cardMountPoint;
    // Why the rows last read cannot be stored, naming the first entry at
    // fault; empty when they can.
    QString refusal;
};

#endif
