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
    // What is done for each picture, known by its file name: load it at
    // thumbnail size (null when it cannot be loaded), then write its
    // thumbnail (false when that failed).
    struct Work
    {
        std::function<QPixmap *(const QString &name)> load;
        std::function<bool(const QString &name, const QPixmap *picture)> save;
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
    bool isRunning() const { return ticker.isActive(); }

    // Writes one thumbnail and reports a failure.
    void saveThumb(QTreeWidgetItem *item, const QPixmap *picture);

    QTimer &timer() { return ticker; }

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
};

#endif
