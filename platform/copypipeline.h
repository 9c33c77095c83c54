#ifndef COPYPIPELINE_H
#define COPYPIPELINE_H

#include <QByteArray>
#include <QList>

#include <atomic>
#include <functional>

#include "filecopy.h"

class Folder;

// Copies files one after another, proving each (FileCopy), with the
// read-back of one file on a second thread while the next is read from the
// source: from a slow card the proof then costs no time of its own. The
// outcomes come back on the calling thread, in the order of the files.
class CopyPipeline
{
public:
    struct File
    {
        const Folder *sourceFolder;
        QByteArray sourceName;
        const Folder *destinationFolder;
        QByteArray destinationName;
    };
    struct Outcome
    {
        int index;
        FileCopy::Status status;
        int error;
        FileCopy::Proof proof;  // of a Copied file
    };
    // Returns whether the copy goes on; false leaves the files after this
    // one uncopied (one already written is removed again).
    using Report = std::function<bool(const Outcome &)>;

    void setReplacing(bool allowed);
    void setUnnamedFiles(bool allowed);
    void setCancelFlag(const std::atomic<bool> *flag);
    // stepDone comes from either thread.
    void setHooks(const FileCopy::Hooks &hooks);
    // Bytes read from the sources so far, all files together.
    std::function<void(qint64 read)> onProgress;

    // The number of files reported.
    int run(const QList<File> &files, const Report &report);

private:
    FileCopy reader;
    FileCopy prover;
    const std::atomic<bool> *cancelFlag = nullptr;
};

#endif
