#include "browser/copyjob.h"

#include <QWidget>

#include "platform/folder.h"

CopyJob::CopyJob(QWidget *parent, char *buffer, std::size_t bufferSize)
    : QObject(parent), copier(parent, buffer, bufferSize)
{
    copier.setNameInFailure(true);
    ticker.setSingleShot(true);
    connect(&ticker, &QTimer::timeout, this, &CopyJob::step);
}

void CopyJob::start(const QString &from, const QString &to, const QList<QByteArray> &files,
                    PictureCopy::Existing whenExisting)
{
    fromDir = from;
    toDir = to;
    names = files;
    existing = whenExisting;
    next = 0;
    running = true;
    stopRequested = false;
    ticker.start(0);
}

// Asked for while a file is copied (its boxes run the event loop) or
// between files: either way the next step ends the job.
void CopyJob::cancel()
{
    stopRequested = running;
}

void CopyJob::step()
{
    if (!running)
        return;
    if (stopRequested || next >= names.size()) {
        finish();
        return;
    }
    const QByteArray name = names.at(next++);
    emit progressed(Folder::displayName(name), next);
    if (copier.copy(fromDir, toDir, name, existing) == PictureCopy::Failed) {
        finish();
        return;
    }
    ticker.start(0);
}

void CopyJob::finish()
{
    ticker.stop();
    running = false;
    stopRequested = false;
    emit finished();
}
