#ifndef WORKER_H
#define WORKER_H

#include <QFuture>
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

    // Raises the flag of every job given so far.
    void cancelAll();
    // Cancels everything and returns when the thread is idle.
    void stopAndWait();

private:
    void remember(const Flag &flag);

    QThreadPool pool;
    std::mutex flagsLock;
    std::vector<std::weak_ptr<std::atomic<bool>>> flags;
};

#endif
