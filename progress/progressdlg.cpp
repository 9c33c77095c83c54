#include "progressdlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ProgressDlg::ProgressDlg(QWidget *parent, const char *name, Qt::WindowFlags fl)
    : QWidget(parent, fl)
{
    setObjectName(name ? QString::fromUtf8(name) : QStringLiteral("ProgressDlg"));
    resize(233, 92);
    setWindowTitle(tr("Form1"));

    topLayout = new QVBoxLayout(this);
    topLayout->setContentsMargins(4, 4, 4, 4);
    topLayout->setSpacing(3);

    innerLayout = new QVBoxLayout();
    innerLayout->setContentsMargins(0, 0, 0, 0);
    innerLayout->setSpacing(6);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    innerLayout->addWidget(ProgressBar);

    TimeLabel = new QLabel(this);
    TimeLabel->setObjectName(QStringLiteral("TimeLabel"));
    TimeLabel->setFrameShape(QFrame::StyledPanel);
    TimeLabel->setFrameShadow(QFrame::Sunken);
    TimeLabel->setText(tr("TextLabel1"));
    TimeLabel->setAlignment(Qt::AlignCenter);
    innerLayout->addWidget(TimeLabel);

    ErrorLabel = new QLabel(this);
    ErrorLabel->setObjectName(QStringLiteral("ErrorLabel"));
    ErrorLabel->setFrameShape(QFrame::NoFrame);
    ErrorLabel->setFrameShadow(QFrame::Plain);
    ErrorLabel->setText(tr("TextLabel1"));
    ErrorLabel->setAlignment(Qt::AlignCenter);
    innerLayout->addWidget(ErrorLabel);

    topLayout->addLayout(innerLayout);

    CancelButton = new QPushButton(tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    topLayout->addWidget(CancelButton);

    connect(CancelButton, &QPushButton::clicked, this, &QWidget::close);
}
