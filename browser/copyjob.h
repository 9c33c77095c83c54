#ifndef COPYJOB_H
#define COPYJOB_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "browser/picturecopy.h"

class progressEdit;

// Copies many pictures, one per turn of the event loop, so that the
// progress window stays live and a cancel stops after the current file.
// Before it starts it asks once about the files that exist; while it runs
// the controls it was given are disabled and the progress window is its
// own. Every file goes through PictureCopy; the first failure ends the job
// after its box, and what was copied stays.
class CopyJob : public QObject
{
    Q_OBJECT
public:
    CopyJob(QWidget *parent, char *buffer, std::size_t bufferSize);

    // Disabled while the job runs, given back as they were.
    void holdWhileRunning(const QList<QWidget *> &controls) { held = controls; }

    // False when nothing started (the destination folder was refused).
    bool start(const QString &fromDir, const QString &toDir, const QList<QByteArray> &names,
               progressEdit *window);
    void cancel();
    bool isRunning() const { return running; }

signals:
    // Sent before the file is copied; index counts from 1.
    void progressed(const QString &name, int index);
    void finished();

private:
    PictureCopy::Existing askAboutExisting() const;
    void hold(bool on);
    void step();
    void finish();

    QWidget *parentWidget;
    PictureCopy copier;
    QTimer ticker;
    QString fromDir;
    QString toDir;
    QList<QByteArray> names;
    progressEdit *window = nullptr;
    QList<QWidget *> held;
    QList<bool> enabledBefore;
    PictureCopy::Existing existing = PictureCopy::Keep;
    int next = 0;
    bool running = false;
    bool stopRequested = false;
};

#endif
