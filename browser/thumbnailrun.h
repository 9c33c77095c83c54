#ifndef THUMBNAILRUN_H
#define THUMBNAILRUN_H

#include <QHash>
#include <QImage>
#include <QMap>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

#include "thumbnailfile.h"

class LoadQueue;
class QPixmap;
class QTreeWidget;
class QTreeWidgetItem;

// Writes the thumbnails of one list's pictures and tells whoever shows the
// progress through its signals. The pictures are decoded by the load queue,
// as many at once as it has threads; each is handed on in list order, one
// per timer tick, to writer threads of the run's own that write each with
// the stamp of the file it was made from. The run walks the
// list's items as they stand; whoever empties the list stops the run
// first, so the run never reaches a deleted item, and nothing is written
// after a stop.
class ThumbnailRun : public QObject
{
    Q_OBJECT
public:
    // Writes one thumbnail off the window's thread; false (errno set)
    // when that failed.
    using Writing = std::function<bool()>;
    // What is done for each picture of the list: ask `queue` for it at
    // thumbnail size (0 when it cannot be asked), then write its thumbnail.
    struct Work
    {
        LoadQueue *queue;
        std::function<quint64(const QTreeWidgetItem *item)> request;
        std::function<Writing(const QTreeWidgetItem *item, const QImage &picture,
                              const ThumbnailFile::Stamp &stamp)>
            save;
        // The folder of the item's picture is gone (the card was pulled).
        std::function<bool(const QTreeWidgetItem *item)> folderGone;
        // Says in the diagnostics that the item's picture cannot be read.
        std::function<void(const QTreeWidgetItem *item)> unreadable;
    };

    // The next tick comes as soon as the event loop has handled what came
    // in meanwhile, so a run takes as long as its work and no longer.
    static constexpr int tickMs = 0;

    ThumbnailRun(QTreeWidget *list, const QString &caption, Work work,
                 QObject *parent = nullptr);
    // Gives up what is not yet written and waits for the writer.
    ~ThumbnailRun() override;

    // Begins at the list's first item; a run going on starts over.
    void start();
    // Writes the next item's thumbnail once its picture is in; false once
    // the run has ended.
    bool step();
    // Stops a run because the list's items are about to go.
    void stop();
    // Stops at the user's request; the next start begins afresh.
    void cancel();
    bool isRunning() const { return running; }

    // Writes one thumbnail of the picture as its file is now, and reports
    // a failure.
    void saveThumb(QTreeWidgetItem *item, const QPixmap *picture);

    QTimer &timer() { return ticker; }

    // What the last run could not do, valid from finished() until the next
    // start: how many pictures of how many could not be read or had no
    // thumbnail saved, and the system's reason for the first that could
    // not be saved (empty when none was, or only reading failed).
    int failures() const { return failed; }
    int total() const { return count; }
    const QString &firstFailure() const { return firstReason; }
    const QString &title() const { return caption; }

public slots:
    // One timer tick: a step, and the timer stops once the run has ended
    // or waits for a picture.
    void tick();

signals:
    void started(const QString &caption, int total);
    // A picture was loaded and is about to be written; index counts from 1
    // and also counts pictures that could not be loaded.
    void progressed(const QString &name, int index);
    // The picture's thumbnail could not be written; `position` is its
    // item's place in the list, as names repeat across camera folders.
    void saveFailed(const QString &name, int position);
    // The run reached its end or was stopped; not sent on cancel().
    void finished();

private:
    struct Answer
    {
        bool arrived = false;
        QImage picture;
        ThumbnailFile::Stamp stamp;
    };

    void askAhead();
    void loaded(quint64 id, const QImage &image, const ThumbnailFile::Stamp &stamp);
    void forgetRequests();
    void save(QTreeWidgetItem *item, const QImage &picture, const ThumbnailFile::Stamp &stamp);
    struct Written
    {
        QTreeWidgetItem *item;
        QString name;
        int err;
    };

    void written(int order, const Written &result);
    void report(const Written &result);
    void giveUpWrites();
    void goOn();

    QTreeWidget *list;
    QString caption;
    Work work;
    QTimer ticker;
    // List positions: the next to write, the next to ask for.
    int next = 0;
    int asked = 0;
    // The queue's open requests and the list position each is for.
    QHash<quint64, int> open;
    QMap<int, Answer> answers;
    QThreadPool writer;
    // Raised when the run stops: writes not yet done are given up.
    std::shared_ptr<std::atomic<bool>> givenUp;
    int writing = 0;
    // The writers finish in any order; results are told in the order the
    // writes were handed on, so the first failure told is the list's.
    int handedOn = 0;
    int nextToTell = 0;
    QMap<int, Written> results;
    bool running = false;
    bool waiting = false;
    bool folderRefuses = false;
    int failed = 0;
    int count = 0;
    QString firstReason;
};

#endif
