#include "formtools.h"

#include <QBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>

QToolButton *FormTools::iconButton(QWidget *parent, const char *name, const char *const *xpm,
                                   const QSize &iconSize)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(QString());
    const QPixmap pixmap(xpm);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(iconSize.isEmpty() ? pixmap.size() : iconSize);
    return button;
}

void FormTools::withoutMargin(QBoxLayout *layout)
{
    layout->setSpacing(6);
    layout->setContentsMargins(0, 0, 0, 0);
}
