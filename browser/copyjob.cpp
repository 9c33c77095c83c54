#include "browser/copyjob.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>

#include "platform/folder.h"
#include "progress/progressedit.h"

CopyJob::CopyJob(QWidget *parent, char *buffer, std::size_t bufferSize)
    : QObject(parent), parentWidget(parent), copier(parent, buffer, bufferSize)
{
    copier.setNameInFailure(true);
    ticker.setSingleShot(true);
    connect(&ticker, &QTimer::timeout, this, &CopyJob::step);
}

bool CopyJob::start(const QString &from, const QString &to, const QList<QByteArray> &files,
                    progressEdit *progress)
{
    if (!copier.destinationUsable(to))
        return false;
    fromDir = from;
    toDir = to;
    names = files;
    existing = askAboutExisting();
    window = progress;
    next = 0;
    running = true;
    stopRequested = false;
    hold(true);
    connect(this, &CopyJob::progressed, window, &progressEdit::update, Qt::UniqueConnection);
    window->start(QCoreApplication::translate("TesselView", "copy files"), names.size());
    window->show();
    ticker.start(0);
    return true;
}

// One question for all: two buttons keep the box within a small screen,
// and Return alone, like Escape, overwrites nothing.
PictureCopy::Existing CopyJob::askAboutExisting() const
{
    int count = 0;
    for (const QByteArray &name : names)
        if (PictureCopy::exists(toDir, name))
            ++count;
    if (count == 0)
        return PictureCopy::Replace;
    // The browser's texts: they belong to its screen.
    const QString text =
        QCoreApplication::translate("TesselView", "%1 of the %2 files exist!\noverwrite ?")
            .arg(count)
            .arg(names.size());
    return QMessageBox::information(parentWidget,
                                    QCoreApplication::translate("TesselView", "copy file"), text,
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes
               ? PictureCopy::Replace
               : PictureCopy::Keep;
}

void CopyJob::hold(bool on)
{
    if (on) {
        enabledBefore.clear();
        for (QWidget *control : held) {
            enabledBefore.append(control->isEnabled());
            control->setEnabled(false);
        }
        return;
    }
    for (int i = 0; i < held.size() && i < enabledBefore.size(); ++i)
        held.at(i)->setEnabled(enabledBefore.at(i));
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
    window->hide();
    hold(false);
    emit finished();
}
