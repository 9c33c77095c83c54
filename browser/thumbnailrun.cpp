#include "thumbnailrun.h"

#include <QPixmap>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>

#include <utility>

#include "memorybudget.h"
#include "loadqueue.h"

namespace {

// Pictures decoded ahead of the one to write next, each decode thread's
// share: a slow picture then holds up the writing, not the decoding.
const int aheadPerThread = 4;
// Pictures handed to the writers and not yet written.
const int maxWriting = 8;
// Encoding a thumbnail takes about as long as decoding a camera photo's
// embedded one, so one writer would leave a second core idle.
const int writerThreads = 2;

} // namespace

ThumbnailRun::ThumbnailRun(QTreeWidget *list, const QString &caption, Work work,
                           QObject *parent)
    : QObject(parent), list(list), caption(caption), work(std::move(work)),
      givenUp(std::make_shared<std::atomic<bool>>(false))
{
    writer.setMaxThreadCount(writerThreads);
    // Made by the thread that hands on work, so with its privileges (tests
    // that check permissions as root drop them on the window's thread).
    writer.setExpiryTimeout(0);
    connect(&ticker, &QTimer::timeout, this, &ThumbnailRun::tick);
    connect(this->work.queue, &LoadQueue::loaded, this, &ThumbnailRun::loaded);
}

ThumbnailRun::~ThumbnailRun()
{
    givenUp->store(true);
    writer.waitForDone();
}

void ThumbnailRun::start()
{
    forgetRequests();
    // A changing selection would load previews in between the steps.
    list->setEnabled(false);
    running = true;
    next = 0;
    asked = 0;
    failed = 0;
    folderRefuses = false;
    count = list->topLevelItemCount();
    firstReason.clear();
    askAhead();
    ticker.start(tickMs);
    emit started(caption, count);
}

void ThumbnailRun::askAhead()
{
    const int threads = MemoryBudget::decodeThreads();
    const int last = std::min(list->topLevelItemCount(), next + threads * aheadPerThread);
    for (; running && open.size() < threads && asked < last; ++asked) {
        const QTreeWidgetItem *item = list->topLevelItem(asked);
        if (item->text(0).isNull())
            continue;
        const quint64 id = work.request(item);
        if (id != 0)
            open.insert(id, asked);
        answers.insert(asked, {id == 0, QImage(), {}});
    }
}

void ThumbnailRun::loaded(quint64 id, const QImage &image, const ThumbnailFile::Stamp &stamp)
{
    const auto request = open.find(id);
    if (request == open.end())
        return;
    const int position = request.value();
    open.erase(request);
    answers[position] = {true, image, stamp};
    askAhead();
    if (position == next)
        goOn();
}

void ThumbnailRun::goOn()
{
    if (running && waiting) {
        waiting = false;
        ticker.start(tickMs);
    }
}

bool ThumbnailRun::step()
{
    QTreeWidgetItem *item = folderRefuses ? nullptr : list->topLevelItem(next);
    // The run ends once what it handed on is written.
    if (running && (writing >= maxWriting || (!item && writing > 0))) {
        waiting = true;
        return true;
    }
    if (!running || !item) {
        stop();
        return false;
    }
    const auto answer = answers.constFind(next);
    if (answer != answers.cend() && !answer->arrived) {
        waiting = true;
        return true;
    }
    const Answer got = answers.take(next);
    const QString name = item->text(0);
    if (!name.isNull()) {
        if (!got.picture.isNull()) {
            emit progressed(name, next + 1);
            // Stopped by whoever shows the progress: the item may be gone.
            if (!running)
                return false;
            save(item, got.picture, got.stamp);
        } else {
            ++failed;
            if (work.unreadable)
                work.unreadable(item);
            // Every picture after it would fail as well.
            if (work.folderGone && work.folderGone(item)) {
                stop();
                return false;
            }
        }
    }
    ++next;
    askAhead();
    return true;
}

// The timer rests during the step: showing the progress may run the event
// loop, and the step must not begin again inside itself.
void ThumbnailRun::tick()
{
    ticker.stop();
    if (step() && running && !waiting)
        ticker.start(tickMs);
}

void ThumbnailRun::forgetRequests()
{
    for (auto request = open.cbegin(); request != open.cend(); ++request)
        work.queue->cancel(request.key());
    open.clear();
    answers.clear();
    waiting = false;
    giveUpWrites();
}

void ThumbnailRun::giveUpWrites()
{
    givenUp->store(true);
    givenUp = std::make_shared<std::atomic<bool>>(false);
    writing = 0;
    results.clear();
    nextToTell = handedOn;
}

void ThumbnailRun::stop()
{
    forgetRequests();
    // The writes given up still hold their pictures' folders until they
    // have run; the items (and maybe the card) go next.
    writer.waitForDone();
    next = list->topLevelItemCount();
    if (!running)
        return;
    running = false;
    ticker.stop();
    list->setEnabled(true);
    emit finished();
}

void ThumbnailRun::cancel()
{
    forgetRequests();
    running = false;
    next = list->topLevelItemCount();
    ticker.stop();
    list->setEnabled(true);
}

void ThumbnailRun::saveThumb(QTreeWidgetItem *item, const QPixmap *picture)
{
    save(item, picture ? picture->toImage() : QImage(), ThumbnailFile::Stamp());
}

void ThumbnailRun::save(QTreeWidgetItem *item, const QImage &picture,
                        const ThumbnailFile::Stamp &stamp)
{
    if (!item || item->text(0).isEmpty())
        return;
    const QString name = item->text(0);
    ++writing;
    const int order = handedOn++;
    // The item outlives the write: emptying the list gives up the writes
    // first, and a write given up reports nothing.
    writer.start([this, order, item, name, write = work.save(item, picture, stamp),
                  givenUp = givenUp] {
        if (*givenUp)
            return;
        errno = 0;
        const int err = write() ? 0 : errno == 0 ? -1 : errno;
        QMetaObject::invokeMethod(
            this,
            [this, order, item, name, err, givenUp] {
                if (!*givenUp)
                    written(order, {item, name, err});
            },
            Qt::QueuedConnection);
    });
}

void ThumbnailRun::written(int order, const Written &result)
{
    results.insert(order, result);
    const std::shared_ptr<std::atomic<bool>> current = givenUp;
    // Telling a failure may give up the writes still to be told.
    for (auto next = results.find(nextToTell); next != results.end() && !*current;
         next = results.find(nextToTell)) {
        ++nextToTell;
        report(results.take(next.key()));
    }
}

void ThumbnailRun::report(const Written &result)
{
    --writing;
    const int err = result.err;
    if (err == 0) {
        goOn();
        return;
    }
    ++failed;
    if (firstReason.isEmpty() && err > 0)
        firstReason = QString::fromLocal8Bit(strerror(err));
    emit saveFailed(result.name, list->indexOfTopLevelItem(result.item));
    // A thumbnail folder that cannot be written takes no picture at all:
    // decoding the rest would be work for nothing.
    if (err == EACCES || err == EPERM || err == EROFS || err == ENOSPC || err == EDQUOT ||
        err == EIO || err == ENOENT || err == ENOTDIR) {
        folderRefuses = true;
        giveUpWrites();
    }
    goOn();
}
