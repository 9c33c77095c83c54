#ifndef LOADQUEUE_H
#define LOADQUEUE_H

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>

#include <atomic>
#include <memory>

#include "thumbnailfile.h"
#include "folderentry.h"

// The one queue every picture is loaded through: the preview, the full
// screen and the thumbnail runs. request() returns at once with an id;
// loaded() answers it on the window's thread with the picture (null when it
// cannot be shown) and the stamp of the file it was made from, read before
// the decode, so that a picture changed meanwhile never matches its
// thumbnail. Decodes run on MemoryBudget::decodeThreads() threads, all
// within the one memory budget. A request holds its entry (and so its
// folder) only until it is answered or cancelled.
class LoadQueue : public QObject
{
    Q_OBJECT
public:
    // Preview: the camera's embedded picture when it is big enough, else a
    // decode. FullScreen: a decode stretched to exactly `size`, a landscape
    // picture first turned by `degrees` (see fullScreenImage()).
    enum Kind { Preview, FullScreen };

    explicit LoadQueue(QObject *parent = nullptr);
    // Cancels every request and waits for the threads.
    ~LoadQueue() override;

    quint64 request(const FolderEntry &entry, const QSize &size, Kind kind, int degrees = 0);
    // The request is never answered.
    void cancel(quint64 id);
    void cancelAll();
    // Cancels every request and returns once no thread holds a picture,
    // so that nothing of its folder stays open.
    void stopAndWait();

    // The picture `name` of the open folder `dirFd` upright, a landscape
    // one turned by `degrees`, stretched to exactly `target`; null when it
    // cannot be shown or `cancelled` is raised. Decoded no larger than the
    // target needs, within the memory budget.
    static QImage fullScreenImage(int dirFd, const QByteArray &name, const QSize &target,
                                  int degrees, const std::atomic<bool> *cancelled = nullptr);

signals:
    void loaded(quint64 id, const QImage &image, const ThumbnailFile::Stamp &stamp);

private:
    void answer(quint64 id, const QImage &image, const ThumbnailFile::Stamp &stamp);

    QThreadPool pool;
    quint64 lastId = 0;
    QHash<quint64, std::shared_ptr<std::atomic<bool>>> open;
};

Q_DECLARE_METATYPE(ThumbnailFile::Stamp)

#endif
