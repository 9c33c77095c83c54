#ifndef PROGRESSEDIT_H
#define PROGRESSEDIT_H

#include "progressdlg.h"

#include <QtGlobal>

#include <functional>

class QCloseEvent;
class QKeyEvent;
class QLabel;

// The progress window of a job processed one file at a time. It forecasts
// the seconds to go from two measurements (an early one and one at half
// way) and turns close attempts (Cancel and Esc included) into
// closeRequest(), so that the owner decides whether the job stops.
// Copies, where one file may outweigh all others, are shown by bytes
// instead: startCopy() and showCopy() in place of start() and update().
class progressEdit : public ProgressDlg
{
    Q_OBJECT

public:
    explicit progressEdit(QWidget *parent = nullptr, const char *name = nullptr);

    void start(const QString &caption, int total);
    void update(const QString &fileName, int cnt);
    void setError(const QString &text);

    // Begins a copy; called right before its first byte is read, since the
    // time left comes from the bytes per second since then.
    void startCopy(const QString &caption);
    // The file `name` is number `index` (from 1) of `count`, and
    // `bytesDone` of the job's `bytesTotal` bytes are copied.
    void showCopy(const QString &name, int index, int count, qint64 bytesDone,
                  qint64 bytesTotal);

    // Milliseconds from any fixed origin, never going backwards. An empty
    // function restores the monotonic clock of the system; tests install
    // their own to replay long jobs without waiting.
    using Clock = std::function<qint64()>;
    static void setClock(Clock msecsNow);

signals:
    void closeRequest();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void resetWindow(const QString &caption, int steps);
    QString copyTimeLeft(qint64 bytesDone, qint64 bytesTotal) const;
    void beginMeasurement(int cnt);
    void takeEstimate(int seconds);
    int elapsedMsecs() const;
    QString fittedLine(const QLabel *label, const std::function<QString(const QString &)> &line,
                       const QString &fileName);
    static qint64 nowMsecs();

    int total = 0;
    // Also set before the first start, so that a stray update measures
    // from itself instead of reading an unstarted stopwatch.
    bool firstUpdate = true;
    qint64 stopwatchStart = 0;
    int divisor = 1;
    int cc = -1;
    int tmsec = 0;
    int tto = -1;
    bool halfwayTaken = false;
};

#endif
