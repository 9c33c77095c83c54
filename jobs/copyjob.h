#ifndef COPYJOB_H
#define COPYJOB_H

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

#include "picturecopy.h"

class CopyPlan;

// Copies pictures, their bytes on the worker thread in chunks, so that the
// window stays live, the progress window shows each file and a big file's
// own progress, and a cancel stops within a chunk (the unfinished copy
// leaves nothing behind). One picture goes as the user decided; many are
// first planned on the worker (CopyPlan: which pictures go under which
// names, never overwriting), and after planned() the browser asks and
// copyPlanned() goes on. A picture that fails alone (unreadable, a name the
// destination refuses, too large for it) is left out and the copy goes
// on; any other failure ends the job (failed()), and what was copied stays.
// Many pictures go through one pipeline on the worker, so that the
// read-back of one file overlaps the card read of the next. At its end the
// job holds nothing of either folder.
// It asks and shows nothing itself.
class CopyJob : public QObject
{
    Q_OBJECT
public:
    explicit CopyJob(Worker &worker, QObject *parent = nullptr);
    ~CopyJob() override;

    // Opens the destination of a command; false when it cannot take copies.
    // `volume` is the card's identity, for the record.
    bool begin(const QString &fromDir, const QString &toDir, const QByteArray &volume);
    // After begin(): what stands in the way of copying the picture alone.
    PictureCopy::Result check(const FolderEntry &entry) const { return copier.check(whole(entry)); }
    // After begin(): the picture alone; or, not copied after all, drop().
    void copyOne(const FolderEntry &entry, PictureCopy::Existing existing);
    void drop() { copier.end(); }
    // Looks at the pictures and the destination on the worker; planned()
    // follows. False when the destination cannot take copies.
    bool plan(const QString &fromDir, const QString &toDir, const QByteArray &volume,
              const QList<FolderEntry> &entries);
    // After planned(): the copies, the colliding ones under numbered names
    // when `keepBoth`.
    void copyPlanned(bool keepBoth);

    void cancel();
    void setHooks(const FileCopy::Hooks &hooks) { copier.setHooks(hooks); }
    bool isRunning() const { return running; }
    // The picture being copied.
    QString currentName() const;

signals:
    // `collisions` of `total` pictures have a name the destination gives
    // a different picture.
    void planned(int collisions, int total);
    // The copies begin, worth a progress window: many pictures, or one
    // big enough to want a cancel.
    void started(int total);
    // Sent before the file is copied; index counts from 1.
    void progressed(const QString &name, int index);
    // The job's bytes so far of all its files, every few MB and after
    // each file.
    void bytesCopied(const QString &name, int index, int count, qint64 copied, qint64 total);
    void failed(const PictureCopy::Result &result, const QString &name);
    // Before finished(): the pictures left out, when any were.
    void leftOut(const QStringList &names);
    void finished();

private:
    static PictureCopy::Transfer whole(const FolderEntry &entry)
    {
        return PictureCopy::Transfer::whole(entry);
    }
    void run(const QList<PictureCopy::Transfer> &files, PictureCopy::Existing existing,
             bool worthWindow);
    void step();
    void copyMany();
    void announce();
    void pictureDone(int index, const PictureCopy::Result &result);
    void fileDone();
    void showBytes(int index, qint64 copied);
    bool leaveOut(const PictureCopy::Result &result);
    void fail(const PictureCopy::Result &result);
    void finish();

    Worker &worker;
    PictureCopy copier;
    QTimer ticker;
    QFutureWatcher<PictureCopy::Result> watcher;
    QFutureWatcher<bool> planWatcher;
    std::shared_ptr<CopyPlan> copyPlan;
    int planned_ = 0;
    Worker::Flag fileCancelled;
    QList<PictureCopy::Transfer> transfers;
    PictureCopy::Existing existing = PictureCopy::NoReplace;
    int next = 0;
    qint64 bytesBefore = 0;
    qint64 bytesTotal = 0;
    QList<qint64> sizes;
    QStringList leftOutNames;
    bool running = false;
    bool stopRequested = false;
};

#endif
