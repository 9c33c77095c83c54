#include "kwqtfiledlg.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QSpacerItem>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formtools.h"

#include "cross.xpm"
#include "fdnewfolder.xpm"
#include "returnarrow.xpm"

namespace {

// An editable combo box without inline completion: completion would turn a
// typed path or pattern into a history entry that merely starts like it,
// and would match the history without regard to case.
QComboBox *historyComboBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setCompleter(nullptr);
    box->setDuplicatesEnabled(false);
    return box;
}

} // namespace

KwQtFileDlg::KwQtFileDlg(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(name ? QString::fromUtf8(name) : QStringLiteral("KwQtFileDlg"));
    resize(196, 279);
    setWindowTitle(tr("FileDlg"));
    setModal(modal);

    KwQtFileDlgLayout = new QVBoxLayout(this);
    KwQtFileDlgLayout->setObjectName("KwQtFileDlgLayout");
    KwQtFileDlgLayout->setContentsMargins(11, 11, 11, 11);
    KwQtFileDlgLayout->setSpacing(6);
    Layout4 = FormTools::noMarginLayout<QVBoxLayout>("Layout4");
    Layout3 = FormTools::noMarginLayout<QVBoxLayout>("Layout3");
    Layout1 = FormTools::noMarginLayout<QHBoxLayout>("Layout1");
    Layout2 = FormTools::noMarginLayout<QHBoxLayout>("Layout2");

    TypeComboBox = historyComboBox(this, "TypeComboBox");
    TypeComboBox->setInsertPolicy(QComboBox::InsertAtBottom);
    TypeComboBox->setToolTip(tr("file type filter"));
    TypeComboBox->setWhatsThis(tr("ComboBox FileTypeFilter\n\nedit or select the filter"));
    Layout1->addWidget(TypeComboBox);
    Layout1->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));

    OkButton = FormTools::iconButton(this, "OkButton", returnarrow_xpm);
    OkButton->setToolTip(tr("confirms the selection and closes the form"));
    OkButton->setWhatsThis(tr("OKButton"));
    Layout1->addWidget(OkButton);

    CancelButton = FormTools::iconButton(this, "CancelButton", cross_xpm);
    CancelButton->setToolTip(tr("cancels the selection and closes the form"));
    CancelButton->setWhatsThis(tr("CancelButton"));
    Layout1->addWidget(CancelButton);
    Layout3->addLayout(Layout1);

    FNameLineEdit = new QLineEdit(this);
    FNameLineEdit->setObjectName("FNameLineEdit");
    FNameLineEdit->setToolTip(tr("shows the selected filename"));
    FNameLineEdit->setWhatsThis(
        tr("Filename LineEdit\n\nshows the selected file\nand allows the direct filename\nedit"));
    Layout2->addWidget(FNameLineEdit);

    MkDirButton = FormTools::iconButton(this, "MkDirButton", fdnewfolder_xpm);
    MkDirButton->setToolTip(tr("creates a directory with the given name"));
    MkDirButton->setWhatsThis(
        tr("MkDirButton\n\ncreates a directory with the name\nfrom the filename field\nin the "
           "current directory"));
    Layout2->addWidget(MkDirButton);
    Layout3->addLayout(Layout2);

    DirComboBox = historyComboBox(this, "DirComboBox");
    QSizePolicy dirPolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    dirPolicy.setHeightForWidth(DirComboBox->sizePolicy().hasHeightForWidth());
    DirComboBox->setSizePolicy(dirPolicy);
    DirComboBox->setWhatsThis(tr("ComboBox Directory \nedit or select the directories name"));
    Layout3->addWidget(DirComboBox);
    Layout4->addLayout(Layout3);

    ListView = new QTreeWidget(this);
    ListView->setObjectName("ListView");
    ListView->setColumnCount(3);
    ListView->setHeaderLabels({tr("Name"), tr("size"), tr("type")});
    ListView->header()->setSectionResizeMode(QHeaderView::Interactive);
    ListView->setRootIsDecorated(true);
    ListView->setSortingEnabled(true);
    ListView->sortByColumn(0, Qt::AscendingOrder);
    ListView->setToolTip(tr("directory listview"));
    ListView->setWhatsThis(tr("Directory ListView\n\nshows the list of dirs and files"));
    Layout4->addWidget(ListView);
    KwQtFileDlgLayout->addLayout(Layout4);

    connectSignals();
}

KwQtFileDlg::~KwQtFileDlg() = default;

void KwQtFileDlg::connectSignals()
{
    connect(OkButton, &QToolButton::clicked, this, &KwQtFileDlg::slotOK);
    connect(DirComboBox, &QComboBox::activated, this, &KwQtFileDlg::slotDirComboBoxChanged);
    connect(TypeComboBox, &QComboBox::activated, this, &KwQtFileDlg::slotTypeComboBoxChanged);
    connect(CancelButton, &QToolButton::clicked, this, &KwQtFileDlg::slotCancel);
    ListView->installEventFilter(this);
    connect(ListView, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> selected = ListView->selectedItems();
        slotSelectionChanged(selected.isEmpty() ? nullptr : selected.first());
    });
    connect(ListView, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { slotDoubleClicked(item); });
    connect(FNameLineEdit, &QLineEdit::textChanged, this, &KwQtFileDlg::slotFileTextChanged);
    connect(FNameLineEdit, &QLineEdit::returnPressed, this, &KwQtFileDlg::slotOK);
    connect(MkDirButton, &QToolButton::clicked, this, &KwQtFileDlg::slotMkDir);
}

bool KwQtFileDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            slotSelectionChanged(ListView->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void KwQtFileDlg::slotCancel()
{
    qWarning("KwQtFileDlg::slotCancel(): Not implemented yet!");
}

void KwQtFileDlg::slotDirComboBoxChanged(int)
{
    qWarning("KwQtFileDlg::slotDirComboBoxChanged( int ): Not implemented yet!");
}

void KwQtFileDlg::slotDoubleClicked(QTreeWidgetItem *)
{
    qWarning("KwQtFileDlg::slotDoubleClicked(QListViewItem *): Not implemented yet!");
}

void KwQtFileDlg::slotFileTextChanged(const QString &)
{
    qWarning("KwQtFileDlg::slotFileTextChanged( const QString & ): Not implemented yet!");
}

void KwQtFileDlg::slotMkDir()
{
    qWarning("KwQtFileDlg::slotMkDir(): Not implemented yet!");
}

void KwQtFileDlg::slotOK()
{
    qWarning("KwQtFileDlg::slotOK(): Not implemented yet!");
}

void KwQtFileDlg::slotSelectionChanged(QTreeWidgetItem *)
{
    qWarning("KwQtFileDlg::slotSelectionChanged(QListViewItem *): Not implemented yet!");
}

void KwQtFileDlg::slotTypeComboBoxChanged(int)
{
    qWarning("KwQtFileDlg::slotTypeComboBoxChanged( int ): Not implemented yet!");
}
