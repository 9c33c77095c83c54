#include "fullpicdlg.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "samplephoto.xpm"

FullPicDlg::FullPicDlg(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setObjectName(name ? QString::fromLatin1(name) : QString("FullPicDlg"));
    setModal(modal);
    resize(199, 215);
    setWindowTitle(tr("FullScreen"));

    FullPicDlgLayout = new QVBoxLayout(this);
    FullPicDlgLayout->setSpacing(3);
    FullPicDlgLayout->setContentsMargins(4, 4, 4, 4);

    PixmapLabel = new QLabel(this, Qt::WindowFlags());
    PixmapLabel->setObjectName("PixmapLabel");
    PixmapLabel->setFrameShape(QFrame::StyledPanel);
    PixmapLabel->setFrameShadow(QFrame::Sunken);
    PixmapLabel->setLineWidth(2);
    PixmapLabel->setMargin(2);
    PixmapLabel->setMidLineWidth(1);
    PixmapLabel->setPixmap(QPixmap(samplephoto_xpm));
    PixmapLabel->setScaledContents(false);
    PixmapLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    FullPicDlgLayout->addWidget(PixmapLabel, 0, Qt::Alignment());
}

FullPicDlg::~FullPicDlg() = default;
