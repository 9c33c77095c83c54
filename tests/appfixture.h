#ifndef APPFIXTURE_H
#define APPFIXTURE_H

// The main window as the tests hold it.

#include <memory>

#include "app/tesselapp.h"
#include "config/tesseldata.h"

// Counts the requests to end the program instead of ending the test.
class QuitCounter : public TesselApp
{
public:
    int quits = 0;

protected:
    void quitApplication() override { ++quits; }
};

struct AppDeleter
{
    void operator()(TesselApp *app) const
    {
        // The settings outlive the window in the program; here they go too.
        TesselData *settings = app->settings();
        delete app;
        delete settings;
    }
};

// Owns the main window and the settings it read.
template <typename App>
using AppPtr = std::unique_ptr<App, AppDeleter>;

#endif
