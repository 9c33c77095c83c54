#include "app/tesselapp.h"

#include <cstdio>

#include "config/tesseldata.h"
#include "config/tesseliocfg.h"

TesselApp::TesselApp(QWidget *parent, const char *name, Qt::WindowFlags f)
    : QMainWindow(parent, f), view(nullptr), data(nullptr), ioCfg(nullptr)
{
    if (name)
        setObjectName(name);
    setWindowTitle("Tessel 0.2.1");
    initData();
    // The source pane always starts in the card's picture directory.
    data->leftPath = data->mountPoint + "/" + data->flashPath;
}

TesselApp::~TesselApp()
{
    delete ioCfg;
}

void TesselApp::initData()
{
    data = new TesselData();
    ioCfg = new TesselIOCfg(data);
    loadCfg();
}

bool TesselApp::loadCfg()
{
    if (ioCfg->ReadFile(data->cfgPath, "tessel.cfg") == 0)
        return true;
    printf("\nTesselApp::loadCfg - not able to read %s/tessel.cfg", qPrintable(data->cfgPath));
    fflush(stdout);
    return false;
}

void TesselApp::slotCfgChanged()
{
    if (ioCfg)
        ioCfg->WriteFile(data->cfgPath, "tessel.cfg");
}
