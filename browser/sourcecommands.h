#ifndef SOURCECOMMANDS_H
#define SOURCECOMMANDS_H

#include <QList>
#include <QString>

class QToolButton;

// The source's commands act on the card: they are offered only while a
// card is mounted and its pictures are listed, and "copy" only with a
// destination it can write into. Held controls given back after a job come
// back through refresh(), as the card may have gone meanwhile.
class SourceCommands
{
public:
    SourceCommands(QList<QToolButton *> cardButtons, QToolButton *copyButton);

    void setListed(bool picturesListed);
    bool isListed() const { return listed; }
    // A picture is shown: what may act on it.
    void offer(bool copyWanted, const QString &destination);
    void refresh();

private:
    QList<QToolButton *> cardButtons;
    QToolButton *copyButton;
    bool listed = false;
};

#endif
