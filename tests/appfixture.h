#ifndef APPFIXTURE_H
#define APPFIXTURE_H

// The main window as the tests hold it.

#include <memory>

#include "tesselapp.h"

// Counts the requests to end the program instead of ending the test.
class QuitCounter : public TesselApp
{
public:
    int quits = 0;

protected:
    void quitApplication() override { ++quits; }
};

// Owns the main window, which owns the settings it read.
template <typename App>
using AppPtr = std::unique_ptr<App>;

#endif
