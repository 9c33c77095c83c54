#include "copypipeline.h"

#include <future>
#include <memory>
#include <system_error>

void CopyPipeline::setReplacing(bool allowed)
{
    reader.setReplacing(allowed);
}

void CopyPipeline::setUnnamedFiles(bool allowed)
{
    reader.setUnnamedFiles(allowed);
}

void CopyPipeline::setCancelFlag(const std::atomic<bool> *flag)
{
    cancelFlag = flag;
    reader.setCancelFlag(flag);
}

void CopyPipeline::setHooks(const FileCopy::Hooks &hooks)
{
    reader.setHooks(hooks);
    prover.setHooks(hooks);
}

int CopyPipeline::run(const QList<File> &files, const Report &report)
{
    qint64 before = 0, current = 0;
    reader.onProgress = [&](qint64 read) {
        current = read;
        if (onProgress)
            onProgress(before + read);
    };
    std::future<Outcome> proving;
    int reported = 0;
    auto collect = [&] {
        ++reported;
        return report(proving.get());
    };
    bool going = true;
    for (int i = 0; going && i < files.size(); ++i) {
        const File &file = files.at(i);
        auto pending = std::make_shared<FileCopy::Pending>();
        const FileCopy::Status status =
            cancelFlag && cancelFlag->load()
                ? FileCopy::Cancelled
                : reader.write(*file.sourceFolder, file.sourceName, *file.destinationFolder,
                               file.destinationName, pending.get());
        const Outcome written{i, status, reader.error(), reader.proof()};
        before += current;
        current = 0;
        if (proving.valid() && !collect())
            return reported;
        if (status != FileCopy::Written) {
            ++reported;
            going = report(written);
            continue;
        }
        auto prove = [this, i, pending] {
            const FileCopy::Status proven = prover.prove(*pending);
            return Outcome{i, proven, prover.error(), prover.proof()};
        };
        try {
            proving = std::async(std::launch::async, prove);
        } catch (const std::system_error &) {
            // No second thread to be had: the proof waits for its turn.
            std::promise<Outcome> now;
            now.set_value(prove());
            proving = now.get_future();
        }
    }
    if (proving.valid())
        collect();
    return reported;
}
