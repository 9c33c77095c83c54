#include "cfgdlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QSpacerItem>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formtools.h"

#include "clearleft.xpm"
#include "cross.xpm"
#include "returnarrow.xpm"


CfgDlg::CfgDlg(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(name ? QString::fromLatin1(name) : QString("CfgDlg"));
    setModal(modal);
    resize(177, 291);
    setWindowTitle(tr("Configuration"));

    CfgDlgLayout = new QVBoxLayout(this);
    CfgDlgLayout->setSpacing(6);
    CfgDlgLayout->setContentsMargins(11, 11, 11, 11);

    ColumnLayout = new QVBoxLayout;
    FormTools::withoutMargin(ColumnLayout);

    ButtonLayout = new QHBoxLayout;
    FormTools::withoutMargin(ButtonLayout);
    ButtonLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));

    OkButton = FormTools::iconButton(this, "OkButton", returnarrow_xpm, QSize(24, 16));
    OkButton->setToolTip(tr("confirms the changes and closes the form"));
    OkButton->setWhatsThis(tr("OKButton"));
    ButtonLayout->addWidget(OkButton, 0, Qt::Alignment());

    CancelButton = FormTools::iconButton(this, "CancelButton", cross_xpm, QSize(24, 16));
    CancelButton->setToolTip(tr("cancels the changes and closes the form"));
    CancelButton->setWhatsThis(tr("CancelButton"));
    ButtonLayout->addWidget(CancelButton, 0, Qt::Alignment());
    ColumnLayout->addLayout(ButtonLayout);

    EditLayout = new QHBoxLayout;
    FormTools::withoutMargin(EditLayout);

    ClearButton = FormTools::iconButton(this, "ClearButton", clearleft_xpm, QSize(24, 16));
    ClearButton->setToolTip(tr("clear the content line"));
    ClearButton->setWhatsThis(tr("ClearButton"));
    EditLayout->addWidget(ClearButton, 0, Qt::Alignment());

    LineEdit = new QLineEdit(this);
    LineEdit->setObjectName("LineEdit");
    LineEdit->setToolTip(tr("EditorLine for selected entries"));
    LineEdit->setWhatsThis(tr("EditLine"));
    EditLayout->addWidget(LineEdit, 0, Qt::Alignment());

    ToolButton = new QToolButton(this);
    ToolButton->setObjectName("ToolButton");
    ToolButton->setText(tr("..."));
    ToolButton->setToolTip(tr("Fileselector Button"));
    EditLayout->addWidget(ToolButton, 0, Qt::Alignment());
    ColumnLayout->addLayout(EditLayout);

    ListView = new QTreeWidget(this);
    ListView->setObjectName("ListView");
    ListView->setColumnCount(2);
    ListView->setHeaderLabels({tr("item"), tr("content")});
    ListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListView->header()->setSectionsClickable(false);
    ListView->header()->setSortIndicatorShown(true);
    ListView->setAllColumnsShowFocus(true);
    ListView->setRootIsDecorated(true);
    ListView->setToolTip(tr("select an item to edit"));
    ListView->setWhatsThis(tr("ListView with TipData"));
    ColumnLayout->addWidget(ListView, 0, Qt::Alignment());

    CfgDlgLayout->addLayout(ColumnLayout);

    connect(ClearButton, &QToolButton::clicked, this, &CfgDlg::slotClearLine);
    connect(OkButton, &QToolButton::clicked, this, &CfgDlg::slotOK);
    connect(CancelButton, &QToolButton::clicked, this, &CfgDlg::slotCancel);
    connect(LineEdit, &QLineEdit::textChanged, this, &CfgDlg::slotTextChanged);
    connect(ListView, &QTreeWidget::currentItemChanged, this, &CfgDlg::slotSelectionChanged);
    connect(ToolButton, &QToolButton::clicked, this, &CfgDlg::slotSelectButton);
}

CfgDlg::~CfgDlg() = default;

void CfgDlg::slotComboChanged(const QString &)
{
    qWarning("CfgDlg::slotComboChanged( const QString & ): Not implemented yet!");
}

void CfgDlg::slotCancel()
{
    qWarning("CfgDlg::slotCancel(): Not implemented yet!");
}

void CfgDlg::slotClearLine()
{
    qWarning("CfgDlg::slotClearLine(): Not implemented yet!");
}

void CfgDlg::slotOK()
{
    qWarning("CfgDlg::slotOK(): Not implemented yet!");
}

void CfgDlg::slotSelectButton()
{
    qWarning("CfgDlg::slotSelectButton(): Not implemented yet!");
}

void CfgDlg::slotSelectionChanged(QTreeWidgetItem *)
{
    qWarning("CfgDlg::slotSelectionChanged( QListViewItem *): Not implemented yet!");
}

void CfgDlg::slotTextChanged(const QString &)
{
    qWarning("CfgDlg::slotTextChanged( const QString & ): Not implemented yet!");
}
