#include "qpeapplication.h"

#include "focuskeeper.h"
#include "messageboxfitter.h"

QPEApplication::QPEApplication(int &argc, char **argv, Type type)
    : QApplication(argc, argv), appType(type)
{
    // Start-up connects lastWindowClosed() to quit() itself; the toolkit's
    // own automatic quit would only duplicate that.
    setQuitOnLastWindowClosed(false);
    installEventFilter(new MessageBoxFitter(this));
    installEventFilter(new FocusKeeper(this));
}

void QPEApplication::setMainWidget(QWidget *widget)
{
    main = widget;
}
