#ifndef PICTURECOPY_H
#define PICTURECOPY_H

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>

#include "worker.h"
#include "filecopy.h"
#include "folderentry.h"

// Copies pictures, one command at a time: begin() opens the destination
// once, check() looks at a picture before any byte moves, and start() moves
// its bytes on the worker thread, each copy through a buffer of its own. A
// picture is an entry, reached through its own folder; its copies land flat
// in the destination. A RAW beside its JPEG goes with it: both files or
// neither. It never copies a file onto itself and never asks or shows
// anything: each step returns an outcome with what made it so, and the
// browser words it. Files are named by their bytes, so that a name that is
// not UTF-8 is copied as the file it is.
class PictureCopy
{
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
    // Why a copy failed.
    enum Reason {
        NoReason,
        SystemError,     // `err` says what the system refused
        DestinationGone, // the destination's path leads elsewhere now
        SameFile,        // source and destination are one file
        SourceChanged,   // the picture changed while it was copied
        Differs,         // the copy read back is not what the card gave
        InsideSource,    // the destination lies in the source's folders
    };
    struct Result
    {
        Outcome outcome = Ready;
        Reason reason = NoReason;
        int err = 0;
        // A picture copied alone that vanished shows by its absence: no box.
        bool quietAlone = false;
        // In a copy of many the box also names the picture.
        bool nameIt = true;
        // Only this picture is left out; a copy of many goes on.
        bool onlyThis = false;
    };

    explicit PictureCopy(Worker &worker);
    ~PictureCopy();

    // Opens the destination of a command and has its leftovers removed,
    // once. False when it cannot take copies. `fromDir` names the source in
    // diagnostics; `volume` is the card's identity, for the record.
    bool begin(const QString &fromDir, const QString &toDir, const QByteArray &volume);
    // Whether `folder` can take copies.
    static bool destinationUsable(const QString &folder);
    // Whether `toDir` is `fromDir` or one of the folders below it: a copy
    // there would be the card file itself.
    static bool insideSource(const QString &fromDir, const QString &toDir);
    // Seams for the tests, given to every file's copy.
    void setHooks(const FileCopy::Hooks &seams) { hooks = seams; }

    Result check(const Transfer &files) const;
    // The bytes on the worker, each file proven and written into the
    // destination's ImportRecord; `progress` gets the bytes copied so far,
    // on the worker's thread. When a later file fails, the new copies of the
    // earlier ones go again (a replaced file cannot come back).
    Worker::Task<Result> start(const Transfer &files, Existing existing,
                               std::function<void(qint64 copied, qint64 size)> progress = {});
    // Many pictures, never replacing, through one CopyPipeline: the
    // read-back of one file overlaps the card read of the next. `done`
    // gets each picture's result on the worker, in order, a Copied one
    // only once its record line is written; false from it stops the copy.
    // A failure that ends the command ends the task with it.
    using Done = std::function<bool(int index, const Result &result)>;
    Worker::Task<Result> startMany(const QList<Transfer> &transfers, Done done,
                                   std::function<void(qint64 copied)> progress = {});
    // Lets go of the destination, once the command has ended.
    void end() { destination.reset(); }
    const QByteArray &cardVolume() const { return volume; }

private:
    bool destinationStillThere() const;

    Worker &worker;
    QString fromDir;
    QString toDir;
    // Shared with the jobs on the worker, which may outlive a command.
    std::shared_ptr<Folder> destination;
    dev_t destinationDevice = 0;
    ino_t destinationInode = 0;
    // The card's identity, for the record.
    QByteArray volume;
    FileCopy::Hooks hooks;
};

Q_DECLARE_METATYPE(PictureCopy::Result)

#endif
