#include "sourcecommands.h"

#include <QToolButton>

#include "picturecopy.h"

SourceCommands::SourceCommands(QList<QToolButton *> buttons, QToolButton *copy)
    : cardButtons(std::move(buttons)), copyButton(copy)
{
}

void SourceCommands::setListed(bool picturesListed)
{
    listed = picturesListed;
    refresh();
}

void SourceCommands::refresh()
{
    for (QToolButton *button : cardButtons)
        button->setEnabled(listed);
    if (!listed)
        copyButton->setEnabled(false);
}

void SourceCommands::offer(bool copyWanted, const QString &destination)
{
    refresh();
    copyButton->setEnabled(listed && copyWanted && PictureCopy::destinationUsable(destination));
}
