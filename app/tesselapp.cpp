#include "tesselapp.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QResizeEvent>
#include <QShortcut>


#include "tesselview.h"
#include "settingslock.h"
#include "tesseldata.h"
#include "tesseliocfg.h"
#include "diagnostics.h"
#include "plainmessagebox.h"

namespace {
// The browser leaves a strip this high free at the bottom of the window.
const int bottomStrip = 10;
}

TesselApp::TesselApp(QWidget *parent, const char *name, Qt::WindowFlags f)
    : QMainWindow(parent, f), view(nullptr)
{
    if (name)
        setObjectName(name);
    setWindowTitle("Tessel 0.2.1");
    initData();
    if (settingsLock->takenElsewhere()) {
        refuseStart();
        return;
    }
    // The source pane always starts in the card's picture directory.
    data->leftPath = data->mountPoint + "/" + data->flashPath;
    initView();
    view->setGeometry(0, 10, view->width(), view->height());
    setMinimumSize(view->minimumWidth() + bottomStrip, view->minimumHeight() + bottomStrip);
    // Without a window manager nothing maximises the window: it keeps this size.
    resize(data->screenWidth, data->screenHeight);
    showMaximized();
    connect(view, &TesselView::cfgChanged, this, &TesselApp::slotCfgChanged);
    // Nor is there a close button then; the keyboard reaches the quit procedure.
    auto *quitKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quitKey, &QShortcut::activated, this, &TesselApp::slotFileQuit);
}

TesselApp::~TesselApp()
{
    // The browser and its dialogs point at the settings, which this window
    // owns: they go first, not later with the other child widgets.
    delete view;
}

void TesselApp::initData()
{
    data = std::make_unique<TesselData>();
    settingsLock = std::make_unique<SettingsLock>(data->cfgPath);
    ioCfg = std::make_unique<TesselIOCfg>(data.get());
    loadCfg();
}

// A second program on the same settings would save over the first one's
// changes: this one says so and ends without writing anything.
void TesselApp::refuseStart()
{
    ioCfg.reset();
    refused = true;
    quitDecided = true;
    PlainMessageBox::information(
        this, tr("Tessel"),
        tr("Tessel is already running with the settings in\n%1").arg(data->cfgPath));
}

void TesselApp::initView()
{
    view = new TesselView(this, data.get(), data->flashPath, data->fileExt);
    view->show();
}

bool TesselApp::loadCfg()
{
    if (ioCfg->ReadFile(data->cfgPath, "tessel.cfg") == 0)
        return true;
    Diagnostics::print("\nTesselApp::loadCfg - not able to read " + data->cfgPath.toLocal8Bit() +
                       "/tessel.cfg");
    return false;
}

void TesselApp::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    if (view)
        view->setGeometry(0, 0, width(), height() - bottomStrip);
}

// Quitting the application closes every window once more: by then the
// questions are answered and the window may go.
void TesselApp::closeEvent(QCloseEvent *e)
{
    if (quitDecided) {
        e->accept();
        return;
    }
    slotFileQuit();
    // The window stays; only quitting the application ends the program.
    e->ignore();
}

bool TesselApp::querySaveOnQuit()
{
    const int answer = PlainMessageBox::information(
        this, tr("Quit ... "), tr("You have modified the data!\nDo you want to save the changes ?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes || answer == QMessageBox::No;
}

// However the end is asked for (the keys, the window's close, the
// application's quit), the questions come once: a request while they are
// open is dropped, and one after they were answered only quits.
void TesselApp::slotFileQuit()
{
    if (asking)
        return;
    if (!quitDecided) {
        asking = true;
        const Ending ending = askBeforeQuit();
        if (ending == Ending::Stay) {
            asking = false;
            return;
        }
        if (ending == Ending::AfterUnmount) {
            // The card answers later; a failure shows its box before the end.
            connect(
                &view->flashCard(), &FlashCard::answered, this,
                [this] {
                    asking = false;
                    quitDecided = true;
                    quitApplication();
                },
                Qt::SingleShotConnection);
            view->unmountDevice();
            return;
        }
        asking = false;
        quitDecided = true;
    }
    quitApplication();
}

TesselApp::Ending TesselApp::askBeforeQuit()
{
    if (data->isModified() && !querySaveOnQuit())
        return Ending::Stay;
    if (!view->isMounted())
        return Ending::Now;
    const int answer = PlainMessageBox::information(
        this, tr("Quit..."), tr("flashdisk is still mounted\nunmount it"),
        QMessageBox::Yes | QMessageBox::No);
    return answer == QMessageBox::Yes ? Ending::AfterUnmount : Ending::Now;
}

void TesselApp::quitApplication()
{
    QCoreApplication::quit();
}

// Every change saves at once, so a lasting fault would fail at every
// click: the user hears of each new reason once, and of a reason again only
// after a save has worked in between.
void TesselApp::slotCfgChanged()
{
    if (!ioCfg)
        return;
    if (ioCfg->WriteFile(data->cfgPath, "tessel.cfg") == 0) {
        shownSaveFailure.clear();
        return;
    }
    const QString reason = ioCfg->writeFailure();
    if (reason == shownSaveFailure)
        return;
    shownSaveFailure = reason;
    PlainMessageBox::information(
        this, tr("save configuration"),
        tr("The settings could not be saved in\n%1\n\n%2")
            .arg(TesselIOCfg::filePath(data->cfgPath, "tessel.cfg"), reason),
        QMessageBox::Ok);
}
