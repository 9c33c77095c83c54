#ifndef THUMBNAILRUN_H
#define THUMBNAILRUN_H

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QPixmap;
class QTreeWidget;
class QTreeWidgetItem;

// Writes the thumbnails of one list's pictures, one picture per timer tick,
// and tells whoever shows the progress through its signals. The run walks
// the list's items as they stand; whoever empties the list stops the run
// first, so the run never reaches a deleted item.
class ThumbnailRun : public QObject
{
    Q_OBJECT
public:
    // What is done for each picture of the list: load it at thumbnail size
    // (null when it cannot be loaded), then write its thumbnail (false when
    // that failed).
    struct Work
    {
        std::function<QPixmap *(const QTreeWidgetItem *item)> load;
        std::function<bool(const QTreeWidgetItem *item, const QPixmap *picture)> save;
        // The folder of the item's picture is gone (the card was pulled).
        std::function<bool(const QTreeWidgetItem *item)> folderGone;
    };

    // One picture per tick keeps the screen responsive on the handheld;
    // the next tick comes as soon as the event loop has handled what came
    // in meanwhile, so a run takes as long as its work and no longer.
    static constexpr int tickMs = 0;

    ThumbnailRun(QTreeWidget *list, const QString &caption, Work work,
                 QObject *parent = nullptr);

    // Begins at the list's first item; a run going on starts over.
    void start();
    // Handles the next item; false once the run has ended.
    bool step();
    // Stops a run because the list's items are about to go.
    void stop();
    // Stops at the user's request; the next start begins afresh.
    void cancel();
    bool isRunning() const { return running; }

    // Writes one thumbnail and reports a failure.
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
    // One timer tick: a step, and the timer stops once the run has ended.
    void tick();

signals:
    void started(const QString &caption, int total);
    // A picture was loaded and is about to be written; index counts from 1
    // and also counts pictures that could not be loaded.
    void progressed(const QString &name, int index);
    void saveFailed(const QString &name);
    // The run reached its end or was stopped; not sent on cancel().
    void finished();

private:
    QTreeWidget *list;
    QString caption;
    Work work;
    QTimer ticker;
    QTreeWidgetItem *next = nullptr;
    int index = 1;
    bool running = false;
    bool folderRefuses = false;
    int failed = 0;
    int count = 0;
    QString firstReason;
};

#endif
