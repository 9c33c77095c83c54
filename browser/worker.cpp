#include "browser/worker.h"

#include <algorithm>

Worker::Worker(QObject *parent) : QObject(parent)
{
    pool.setMaxThreadCount(1);
    // The thread stays for the next job rather than being made anew.
    pool.setExpiryTimeout(-1);
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
