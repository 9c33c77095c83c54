#ifndef COPYJOB_H
#define COPYJOB_H

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

#include "browser/picturecopy.h"

class HeldControls;

class QWidget;
class progressEdit;

// Copies many pictures, their bytes on the worker thread in chunks, so that
// the window stays live, the progress window shows each file and a big
// file's own progress, and a cancel stops within a chunk (the unfinished
// copy leaves nothing behind). It never overwrites: which pictures go under
// which names is decided before it starts (CopyPlan); while it runs the controls it was given are disabled
// and the progress window is its own. The first failure ends the job
// (failed()), and what was copied stays. It asks and shows nothing itself.
class CopyJob : public QObject
{
    Q_OBJECT
public:
    CopyJob(Worker &worker, char *buffer, std::size_t bufferSize, QObject *parent = nullptr);
    ~CopyJob() override;

    // Disabled while the job runs, given back as they were.
    void holdWhileRunning(const QList<QWidget *> &controls) { held = controls; }

    // False when nothing started: the destination folder cannot take
    // copies (PictureCopy::unusableText()).
    bool start(const QString &fromDir, const QString &toDir,
               const QList<PictureCopy::Transfer> &transfers, progressEdit *window);
    void cancel();
    bool isRunning() const { return running; }

signals:
    // Sent before the file is copied; index counts from 1.
    void progressed(const QString &name, int index);
    // The box's whole text, the picture's name included where it belongs.
    void failed(const QString &name, const QString &text);
    void finished();

private:
    void step();
    void fileDone();
    void showBytes(int index, qint64 copied, qint64 size);
    QString shownName(int index) const;
    void fail(const QString &name, const PictureCopy::Result &result);
    void finish();

    PictureCopy copier;
    QTimer ticker;
    QFutureWatcher<PictureCopy::Result> watcher;
    std::shared_ptr<std::atomic<bool>> fileCancelled;
    QList<PictureCopy::Transfer> transfers;
    progressEdit *window = nullptr;
    QList<QWidget *> held;
    // Disabled while the job runs.
    std::unique_ptr<HeldControls> holding;
    int next = 0;
    bool running = false;
    bool stopRequested = false;
};

#endif
