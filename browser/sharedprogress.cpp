#include "sharedprogress.h"

#include "thumbnailrun.h"
#include "progressedit.h"

SharedProgress::SharedProgress(progressEdit *window, QObject *parent)
    : QObject(parent), window(window)
{
}

void SharedProgress::follow(ThumbnailRun *run)
{
    runs << run;
    connect(run, &ThumbnailRun::started, window, [this](const QString &caption, int total) {
        window->start(caption, total);
        window->show();
    });
    connect(run, &ThumbnailRun::progressed, window, &progressEdit::update);
    connect(run, &ThumbnailRun::saveFailed, window,
            [this](const QString &name) {
                window->setError(name + progressEdit::tr(" : not saveable"));
            });
    connect(run, &ThumbnailRun::finished, this, [this, run]() { hideUnlessRunning(run); });
}

void SharedProgress::cancelAll()
{
    for (ThumbnailRun *run : runs)
        run->cancel();
    window->hide();
}

void SharedProgress::hideUnlessRunning(const ThumbnailRun *ended)
{
    for (const ThumbnailRun *run : runs)
        if (run != ended && run->isRunning())
            return;
    window->hide();
}
