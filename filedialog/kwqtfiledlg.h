#ifndef KWQTFILEDLG_H
#define KWQTFILEDLG_H

#include <QDialog>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

// The file dialog's form: widgets, help texts, icons and connections only.
// Every slot is virtual so that the connections reach the subclass that
// brings the behaviour.
class KwQtFileDlg : public QDialog
{
    Q_OBJECT

public:
    explicit KwQtFileDlg(QWidget *parent = nullptr, const char *name = nullptr, bool modal = false,
                         Qt::WindowFlags fl = {});
    ~KwQtFileDlg() override;

    QComboBox *TypeComboBox;
    QToolButton *OkButton;
    QToolButton *CancelButton;
    QLineEdit *FNameLineEdit;
    QToolButton *MkDirButton;
    QComboBox *DirComboBox;
    QTreeWidget *ListView;

public slots:
    virtual void slotCancel();
    virtual void slotDirComboBoxChanged(int);
    virtual void slotDoubleClicked(QTreeWidgetItem *);
    virtual void slotFileTextChanged(const QString &);
    virtual void slotMkDir();
    virtual void slotOK();
    virtual void slotSelectionChanged(QTreeWidgetItem *);
    virtual void slotTypeComboBoxChanged(int);

protected:
    // Return on a list entry acts like selecting it.
    bool eventFilter(QObject *watched, QEvent *event) override;

    QVBoxLayout *KwQtFileDlgLayout;
    QVBoxLayout *Layout4;
    QVBoxLayout *Layout3;
    QHBoxLayout *Layout1;
    QHBoxLayout *Layout2;

private:
    void connectSignals();
};

#endif
