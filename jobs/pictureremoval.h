#ifndef PICTUREREMOVAL_H
#define PICTUREREMOVAL_H

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QObject>

#include <atomic>

#include "jobs/worker.h"
#include "platform/folderentry.h"

// Removes pictures with what belongs to them: the camera's side files
// first, then a RAW partner, then the picture itself, so that a picture
// never stays without its JPEG while its RAW is gone. The files go on the
// worker; the window's thread hears of the end through finished().
class PictureRemoval : public QObject
{
    Q_OBJECT
public:
    struct Failure
    {
        QByteArray name; // the file that could not be removed
        int err = 0;     // 0: every file went
    };

    explicit PictureRemoval(Worker &worker, QObject *parent = nullptr);

    // Stops at the first file that cannot be removed, or when cancelled.
    static Failure remove(const QList<FolderEntry> &entries, const std::atomic<bool> &cancelled);

    // Starts removing on the worker; false while a removal runs.
    bool start(const QList<FolderEntry> &entries);
    void cancel();
    bool isRunning() const { return running; }

signals:
    // `err` 0: every file went; otherwise the first that stayed, by name.
    void finished(const QByteArray &name, int err);

private:
    void done();

    Worker &worker;
    QFutureWatcher<Failure> watcher;
    Worker::Flag cancelled;
    bool running = false;
};

#endif
