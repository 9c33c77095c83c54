#ifndef CFGEDIT_H
#define CFGEDIT_H

#include <QList>
#include <QString>

#include "widgets/widgettools.h"
#include "cfgedit/cfgdlg.h"
#include "config/tesselsettings.h"

class QCloseEvent;
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

protected slots:
    void slotOK() override;
    void slotCancel() override;
    void slotSelectButton() override;
    void slotClearLine() override;
    void slotSelectionChanged(QTreeWidgetItem *item) override;
    void slotTextChanged(const QString &text) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Controls { All, EditAndClear, EditOnly, None };

    // One editable setting: where it sits in the list and which field of
    // the settings it shows, either a text or a number.
    struct Entry
    {
        const QString *group;
        const QString *label;
        QString TesselSettings::*text;
        int TesselSettings::*number;
        Controls controls;
    };

    const Entry *entryFor(const QString &label) const;
    void setControls(Controls controls);
    void chooseFlashPath();
    bool storeWorkCopy();

    TesselData *data;

    QString commonLabel;
    QString dataPathLabel;
    QString fileExtLabel;
    QString mountLabel;
    QString flashPathLabel;
    QString deviceLabel;
    QString mountPointLabel;
    QString screenSizeLabel;
    QString previewWidthLabel;
    QString previewHeightLabel;
    QString fullScreenWidthLabel;
    QString fullScreenHeightLabel;
    QString rotationLabel;
    QString displayWidthLabel;
    QString displayHeightLabel;
    QString helpLabel;
    QString helpFileLabel;
    QString helpProgLabel;

    QList<Entry> entries;
    TesselSettings workCopy;
    QTreeWidgetItem *editItem;
    bool changed;
};

#endif
