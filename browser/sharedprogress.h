#ifndef SHAREDPROGRESS_H
#define SHAREDPROGRESS_H

#include <QList>
#include <QObject>

class ThumbnailRun;
class progressEdit;

// The one progress window that every run of the browser reports to. It
// stays up while any run goes on, so that run can still be followed and
// cancelled.
class SharedProgress : public QObject
{
    Q_OBJECT
public:
    explicit SharedProgress(progressEdit *window, QObject *parent = nullptr);

    void follow(ThumbnailRun *run);
    // The user closed the window: every run stops where it is.
    void cancelAll();

private:
    void hideUnlessRunning(const ThumbnailRun *ended);

    progressEdit *window;
    QList<ThumbnailRun *> runs;
};

#endif
