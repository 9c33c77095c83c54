#ifndef FOLDERCHOICE_H
#define FOLDERCHOICE_H

#include <QCoreApplication>
#include <QString>

class PicturePane;
class QWidget;

// Asks the user for a pane's folder. Only a folder that the settings file
// can give back unchanged at the next start, and whose path reaches it, is
// taken; anything else is refused in a box over `parent`.
class FolderChoice
{
    // Its texts belong to the browser's screen and are translated with it.
    Q_DECLARE_TR_FUNCTIONS(TesselView)

public:
    static bool accept(QWidget *parent, const QString &dir);
    // Sets the chosen folder on `pane`; false when none was taken.
    static bool choose(QWidget *parent, PicturePane &pane);
    // A folder chosen or made below `current`; empty when none was taken.
    static QString chooseOrMake(QWidget *parent, const QString &current);
};

#endif
