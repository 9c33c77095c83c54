#ifndef WORKER_H
#define WORKER_H

#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The one thread that does the slow work (copying, deleting many files,
// decoding), so that the window's thread only paints, asks and tells. Jobs
// run one after another in the order given. Each job gets a flag of its own
// that cancel() raises; a job reads it between its chunks and ends early.
class Worker : public QObject
{
    Q_OBJECT
public:
    using Flag = std::shared_ptr<std::atomic<bool>>;

    explicit Worker(QObject *parent = nullptr);
    // Cancels what is queued or running and waits for it.
    ~Worker() override;

    template <typename T>
    struct Task
    {
        QFuture<T> future;
        Flag cancelled;
        void cancel() const { cancelled->store(true); }
    };

    // Queues `job`; it receives its cancel flag.
    template <typename T>
    Task<T> run(std::function<T(const std::atomic<bool> &cancelled)> job)
    {
        Flag flag = std::make_shared<std::atomic<bool>>(false);
        remember(flag);
        QFuture<T> future = QtConcurrent::run(&pool, [job = std::move(job), flag]() {
            return job(*flag);
        });
        return {future, flag};
    }

    // Returns once `future` has finished, running the event loop meanwhile
    // so that the window keeps painting and a cancel can be asked for.
    template <typename T>
    static void await(const QFuture<T> &future)
    {
        if (future.isFinished())
            return;
        QFutureWatcher<T> watcher;
        QEventLoop loop;
        QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(future);
        if (!future.isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    // Raises the flag of every job given so far.
    void cancelAll();
    // Cancels everything and returns when the thread is idle.
    void stopAndWait();
    bool isIdle() const { return pool.activeThreadCount() == 0; }

private:
    void remember(const Flag &flag);

    QThreadPool pool;
    std::mutex flagsLock;
    std::vector<std::weak_ptr<std::atomic<bool>>> flags;
};

#endif
