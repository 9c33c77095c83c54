#ifndef CFGDLG_H
#define CFGDLG_H

#include <QDialog>

class QHBoxLayout;
class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

// The settings editor's form: OK and Cancel, a line editor with its clear
// and file-selector buttons, and the two-level list of the settings.
class CfgDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CfgDlg(QWidget *parent = nullptr, const char *name = nullptr, bool modal = false,
                    Qt::WindowFlags fl = Qt::WindowFlags());
    ~CfgDlg() override;

    QToolButton *OkButton;
    QToolButton *CancelButton;
    QToolButton *ClearButton;
    QLineEdit *LineEdit;
    QToolButton *ToolButton;
    QTreeWidget *ListView;

public slots:
    virtual void slotComboChanged(const QString &text);
    virtual void slotCancel();
    virtual void slotClearLine();
    virtual void slotOK();
    virtual void slotSelectButton();
    virtual void slotSelectionChanged(QTreeWidgetItem *item);
    virtual void slotTextChanged(const QString &text);

protected:
    QVBoxLayout *CfgDlgLayout;
    QVBoxLayout *ColumnLayout;
    QHBoxLayout *ButtonLayout;
    QHBoxLayout *EditLayout;
};

#endif
