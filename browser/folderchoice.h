#ifndef FOLDERCHOICE_H
#define FOLDERCHOICE_H

#include <QCoreApplication>
#include <QString>

class QWidget;

// Asks the user for a pane's folder. Only a folder that the settings file
// can give back unchanged at the next start, and whose path reaches it, is
// taken; for anything else it says why, and the browser shows that.
class FolderChoice
{
    // Its texts belong to the browser's screen and are translated with it.
    Q_DECLARE_TR_FUNCTIONS(TesselView)

public:
    struct Choice
    {
        QString dir;     // empty when none was taken
        QString refusal; // why a chosen folder was not taken; empty otherwise
    };

    // Why `dir` cannot be a pane's folder; empty when it can.
    static QString refusal(const QString &dir);
    // A folder chosen starting from `current`.
    static Choice choose(QWidget *parent, const QString &current);
    // A folder chosen or made below `current`.
    static Choice chooseOrMake(QWidget *parent, const QString &current);
};

#endif
