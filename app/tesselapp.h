#ifndef TESSELAPP_H
#define TESSELAPP_H

#include <QMainWindow>

#include <memory>

class QCloseEvent;
class QResizeEvent;
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
    TesselData *settings() const { return data.get(); }
    TesselView *browser() const { return view; }

protected:
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

    // Ends the event loop; the one way out of the program.
    virtual void quitApplication();

public slots:
    void slotFileQuit();
    void slotCfgChanged();

private:
    void initData();
    void initView();
    bool querySaveOnQuit();

    TesselView *view;
    std::unique_ptr<TesselData> data;
    std::unique_ptr<TesselIOCfg> ioCfg;
};

#endif
