#ifndef COPYJOB_H
#define COPYJOB_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "browser/picturecopy.h"

// Copies many pictures, one per turn of the event loop, so that the
// progress window stays live and a cancel stops after the current file.
// Every file goes through PictureCopy; the first failure ends the job
// after its box, and what was copied stays.
class CopyJob : public QObject
{
    Q_OBJECT
public:
    CopyJob(QWidget *parent, char *buffer, std::size_t bufferSize);

    void start(const QString &fromDir, const QString &toDir, const QList<QByteArray> &names,
               PictureCopy::Existing existing);
    void cancel();
    bool isRunning() const { return running; }

signals:
    // Sent before the file is copied; index counts from 1.
    void progressed(const QString &name, int index);
    void finished();

private:
    void step();
    void finish();

    PictureCopy copier;
    QTimer ticker;
    QString fromDir;
    QString toDir;
    QList<QByteArray> names;
    PictureCopy::Existing existing = PictureCopy::Keep;
    int next = 0;
    bool running = false;
    bool stopRequested = false;
};

#endif
