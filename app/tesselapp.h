#ifndef TESSELAPP_H
#define TESSELAPP_H

#include <QMainWindow>

class TesselView;
class TesselData;
class TesselIOCfg;

// The one top-level window: owns the settings file and hosts the browser.
class TesselApp : public QMainWindow
{
    Q_OBJECT
public:
    TesselApp(QWidget *parent = nullptr, const char *name = nullptr,
              Qt::WindowFlags f = Qt::WindowFlags());
    ~TesselApp() override;

    bool loadCfg();
    TesselData *settings() const { return data; }

public slots:
    void slotCfgChanged();

private:
    void initData();

    TesselView *view;
    TesselData *data;
    TesselIOCfg *ioCfg;
};

#endif
