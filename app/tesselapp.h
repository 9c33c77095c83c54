#ifndef TESSELAPP_H
#define TESSELAPP_H

#include <QMainWindow>

#include <memory>

class QCloseEvent;
class QResizeEvent;
class TesselView;
class TesselData;
class TesselIOCfg;
class SettingsLock;

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
    // Another program runs with these settings; this one has no browser and
    // must end at once.
    bool startRefused() const { return refused; }

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
    void refuseStart();
    bool querySaveOnQuit();
    enum class Ending { Stay, Now, AfterUnmount };
    // The questions before the end.
    Ending askBeforeQuit();

    TesselView *view;
    std::unique_ptr<TesselData> data;
    std::unique_ptr<TesselIOCfg> ioCfg;
    std::unique_ptr<SettingsLock> settingsLock;
    // The reason of the last failed save the user was told; empty once a
    // save works.
    QString shownSaveFailure;
    // A question of the quit procedure is open, or the card has not yet
    // answered the unmount asked for at the end.
    bool asking = false;
    // The questions were answered and the program ends.
    bool quitDecided = false;
    bool refused = false;
};

#endif
