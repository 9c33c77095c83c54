#ifndef PICTURECOPY_H
#define PICTURECOPY_H

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>

#include "browser/worker.h"
#include "platform/folderentry.h"

// Copies pictures for the browser, one command at a time: begin() opens
// both folders once, check() looks at a picture before any byte moves, and
// copy() or start() moves its bytes on the worker thread. A picture is an
// entry, reached through its own folder; its copies land flat in the
// destination. A RAW beside its JPEG goes with it: both files or neither.
// It never copies a file onto itself and never asks or shows anything: each
// step returns an outcome and the text of the box the browser shows for it.
// Files are named by their bytes, so that a name that is not UTF-8 is copied
// as the file it is.
class PictureCopy
{
    // Its texts belong to the browser's screen and are translated with it.
    Q_DECLARE_TR_FUNCTIONS(TesselView)

public:
    // What happens to a file of the same name in the destination: replaced,
    // or never touched (the copy then fails).
    enum Existing { Replace, NoReplace };
    // The files of an entry and the destination names they get, in order.
    struct Transfer
    {
        FolderEntry entry;
        QList<QByteArray> from;
        QList<QByteArray> to;
        // All its files under their own names.
        static Transfer whole(const FolderEntry &entry);
    };
    enum Outcome {
        Ready,     // check(): nothing in the way
        Exists,    // check(): a file of the name is there; the browser asks
        Copied,
        Failed,
        Cancelled,
    };
    struct Result
    {
        Outcome outcome = Ready;
        // The box's text for a failure.
        QString reason;
        // A picture copied alone that vanished shows by its absence: no box.
        bool quietAlone = false;
        // In a copy of many the box also names the picture.
        bool nameIt = true;
    };

    // The bytes go through `buffer` in blocks one byte shorter than it.
    PictureCopy(Worker &worker, char *buffer, std::size_t bufferSize);
    ~PictureCopy();

    // Opens the destination of a command and has its leftovers removed,
    // once. False when it cannot take copies. `fromDir` names the source in
    // diagnostics.
    bool begin(const QString &fromDir, const QString &toDir);
    // Whether `folder` can take copies; the box's text when not.
    static bool destinationUsable(const QString &folder);
    static QString unusableText(const QString &folder);

    Result check(const Transfer &files) const;
    // The bytes on the worker; `progress` gets the bytes copied so far, on
    // the worker's thread. When a later file fails, the new copies of the
    // earlier ones go again (a replaced file cannot come back).
    Worker::Task<Result> start(const Transfer &files, Existing existing,
                               std::function<void(qint64 copied, qint64 size)> progress = {});
    // The same, returning when the copy has ended (the event loop runs
    // meanwhile, without user input).
    Result copy(const Transfer &files, Existing existing);

    // The destination as opened by begin().
    const std::shared_ptr<Folder> &destinationFolder() const { return destination; }

private:
    bool destinationStillThere() const;

    Worker &worker;
    char *buffer;
    std::size_t bufferSize;
    QString fromDir;
    QString toDir;
    // Shared with the jobs on the worker, which may outlive a command.
    std::shared_ptr<Folder> destination;
    dev_t destinationDevice = 0;
    ino_t destinationInode = 0;
};

#endif
