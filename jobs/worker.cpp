#include "worker.h"

#include <algorithm>

Worker::Worker(QObject *parent) : QObject(parent)
{
    pool.setMaxThreadCount(1);
    // A thread ends when idle, and the next is made by the thread that
    // queues work: it then starts with that thread's privileges (tests that
    // check permissions as root drop them on the window's thread).
    pool.setExpiryTimeout(0);
}

Worker::~Worker()
{
    stopAndWait();
}

void Worker::remember(const Flag &flag)
{
    std::lock_guard<std::mutex> lock(flagsLock);
    // Finished jobs' flags have gone; drop their places.
    flags.erase(std::remove_if(flags.begin(), flags.end(),
                               [](const std::weak_ptr<std::atomic<bool>> &f) { return f.expired(); }),
                flags.end());
    flags.push_back(flag);
}

void Worker::cancelAll()
{
    std::lock_guard<std::mutex> lock(flagsLock);
    for (const auto &weak : flags)
        if (const Flag flag = weak.lock())
            flag->store(true);
}

void Worker::stopAndWait()
{
    cancelAll();
    pool.waitForDone();
}
