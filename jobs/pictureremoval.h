#ifndef PICTUREREMOVAL_H
#define PICTUREREMOVAL_H

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>

#include "worker.h"
#include "folderentry.h"

// Removes pictures with what belongs to them: the camera's side files
// first, then a RAW partner, then the picture itself, so that a picture
// never stays without its JPEG while its RAW is gone. The files go on the
// worker; the window's thread hears of the end through finished().
// Pictures that must be proven copies are looked at once more just before
// they go (ImportRecord::stillProven), and the card is synced after the
// last, so that its word on failed writes is heard.
class PictureRemoval : public QObject
{
    Q_OBJECT
public:
    struct Failure
    {
        QByteArray name; // the file that could not be removed
        int err = 0;     // 0: every file went
        int kept = 0;    // pictures no longer proven, left in place
        int syncErr = 0; // what the card's sync reported
    };
    // Where each picture must still be proven (empty: no look), with the
    // card's identity, and the folder whose file system is synced after
    // the deletes (empty: none).
    struct Checks
    {
        QString provenIn;
        QByteArray volume;
        QString syncFolder;
    };

    explicit PictureRemoval(Worker &worker, QObject *parent = nullptr);

    // Stops at the first file that cannot be removed, or when cancelled.
    static Failure remove(const QList<FolderEntry> &entries, const Checks &checks,
                          const std::atomic<bool> &cancelled);

    // Starts removing on the worker; false while a removal runs.
    bool start(const QList<FolderEntry> &entries, const Checks &checks = {});
    // After finished(): the pictures kept as no longer proven, and the
    // error the card's sync reported (0: none).
    int keptCount() const { return last.kept; }
    int syncError() const { return last.syncErr; }
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
    Failure last;
};

#endif
