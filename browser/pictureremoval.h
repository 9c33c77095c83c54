#ifndef PICTUREREMOVAL_H
#define PICTUREREMOVAL_H

#include <QByteArray>
#include <QList>

#include <atomic>

#include "platform/folderentry.h"

class Worker;

// Removes pictures with what belongs to them: the camera's side files
// first, then a RAW partner, then the picture itself, so that a picture
// never stays without its JPEG while its RAW is gone. Runs on the worker.
class PictureRemoval
{
public:
    struct Failure
    {
        QByteArray name; // the file that could not be removed
        int err = 0;     // 0: every file went
    };

    // Stops at the first file that cannot be removed, or when cancelled.
    static Failure remove(const QList<FolderEntry> &entries, const std::atomic<bool> &cancelled);
    // The same on the worker; returns when it is done.
    static Failure inWorker(Worker &worker, const QList<FolderEntry> &entries);
};

#endif
