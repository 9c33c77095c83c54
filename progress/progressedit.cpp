#include "progressedit.h"

#include "diagnostics.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The bar of a copy moves in thousandths of the job's bytes, rounded down:
// it reaches its end with the last byte, not before.
constexpr int copySteps = 1000;
constexpr qint64 megabyte = qint64(1) << 20;

progressEdit::Clock &installedClock()
{
    static progressEdit::Clock clock;
    return clock;
}

} // namespace

progressEdit::progressEdit(QWidget *parent, const char *name)
    : ProgressDlg(parent, name)
{
    if (name)
        setWindowTitle(QString::fromUtf8(name));
    // A long file name is elided to the window; it never widens it. Names
    // are shown as written: a label left to guess would read "<br>" or
    // "<img src=...>" in a name as markup.
    for (QLabel *label : {TimeLabel, ErrorLabel}) {
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
        label->setTextFormat(Qt::PlainText);
    }
}

void progressEdit::setClock(Clock msecsNow)
{
    installedClock() = std::move(msecsNow);
}

qint64 progressEdit::nowMsecs()
{
    if (const Clock &clock = installedClock())
        return clock();
    static const QElapsedTimer monotonic = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return monotonic.elapsed();
}

int progressEdit::elapsedMsecs() const
{
    return int(nowMsecs() - stopwatchStart);
}

void progressEdit::resetWindow(const QString &caption, int steps)
{
    setWindowTitle(caption);
    // An empty job keeps the bar at (0, 0), the busy look; a negative
    // maximum would make no sense to the bar.
    ProgressBar->setRange(0, qMax(steps, 0));
    // setRange keeps a value that fits the new range, which would show the
    // last job's share until the first update.
    ProgressBar->setValue(0);
    TimeLabel->setText(QString());
    ErrorLabel->setText(QString());
}

void progressEdit::start(const QString &caption, int total)
{
    this->total = total;
    resetWindow(caption, total);
    firstUpdate = true;
}

void progressEdit::startCopy(const QString &caption)
{
    resetWindow(caption, copySteps);
    stopwatchStart = nowMsecs();
}

void progressEdit::showCopy(const QString &name, int index, int count, qint64 bytesDone,
                            qint64 bytesTotal)
{
    const qint64 total = qMax<qint64>(bytesTotal, 0);
    const qint64 done = qBound<qint64>(0, bytesDone, total);
    ProgressBar->setValue(total > 0 ? int(done * copySteps / total) : 0);

    // Megabytes done round down and the total up, so that "done of total"
    // only meet at the end; a job under a megabyte still shows 1 MB.
    const qint64 totalMegabytes = (total + megabyte - 1) / megabyte;
    const qint64 doneMegabytes = done == total ? totalMegabytes : done / megabyte;

    // Only the name gives way to the window's width: the numbers are what
    // the user watches, so each has a line of its own, wide enough for
    // large jobs in German too.
    const QString nameLine = fittedLine(TimeLabel, [](const QString &whole) { return whole; }, name);
    TimeLabel->setText(QStringList{nameLine, tr("%1 of %n files", nullptr, count).arg(index),
                                   tr("%1 of %2 MB").arg(doneMegabytes).arg(totalMegabytes),
                                   copyTimeLeft(done, total)}
                           .join('\n'));
}

QString progressEdit::copyTimeLeft(qint64 bytesDone, qint64 bytesTotal) const
{
    const int elapsed = elapsedMsecs();
    if (bytesDone <= 0 || elapsed <= 0)
        return tr("measuring the time left");
    const double msecsLeft = double(bytesTotal - bytesDone) * elapsed / double(bytesDone);
    const double seconds = std::ceil(msecsLeft / 1000);
    return tr("%n second(s) left", nullptr, int(qMin(seconds, 1e9)));
}

void progressEdit::beginMeasurement(int cnt)
{
    tto = -1;
    halfwayTaken = false;
    stopwatchStart = nowMsecs();
    firstUpdate = false;

    // Sample the first estimate later in longer jobs, where the early
    // files say little about the rest.
    divisor = total > 200 ? 20 : total > 50 ? 5 : 1;
    cc = total / divisor;
    Diagnostics::print("\nprogressEdit::update : cc = " + QByteArray::number(cc) +
                       " - cnt = " + QByteArray::number(cnt));
    if (cc <= 1)
        cc = -1;
}

void progressEdit::takeEstimate(int seconds)
{
    tto = seconds;
    Diagnostics::print("\nprogressEdit::update : tmsec = " + QByteArray::number(tmsec) +
                       " - tto = " + QByteArray::number(tto));
}

void progressEdit::update(const QString &fileName, int cnt)
{
    if (firstUpdate)
        beginMeasurement(cnt);

    if (cc > 2 && cnt >= cc) {
        cc = -1;
        tmsec = elapsedMsecs();
        // The first 1/divisor of the job took tmsec; the rest is expected
        // to take divisor - 1 times as long, counted in whole seconds.
        takeEstimate((divisor - 1) * (tmsec / 1000));
    }

    // Updates may skip counts (files that gave no picture), so the half
    // way is the first count at or beyond it, taken once.
    if (!halfwayTaken && cnt >= total / 2) {
        halfwayTaken = true;
        tmsec = elapsedMsecs();
        takeEstimate(tmsec / 1000);
    }

    // Plain concatenation and a single-pass arg() keep any file name
    // intact, including names with non-Latin-1 letters or "%1".
    std::function<QString(const QString &)> line;
    if (tto < 1) {
        line = [](const QString &name) { return tr("file:") + name; };
    } else {
        const int forecast = tto - (elapsedMsecs() - tmsec) / 1000;
        Diagnostics::print("\nprogressEdit::update : forecast = " + QByteArray::number(forecast));
        line = [forecast](const QString &name) {
            return tr("file:%1 timeto:%2 sec").arg(name, QString::number(forecast));
        };
    }
    TimeLabel->setText(fittedLine(TimeLabel, line, fileName));
    ProgressBar->setValue(cnt);
}

// The window keeps within the screen; a line that does not fit has its
// file name shortened in the middle, where the ends that tell pictures
// apart stay.
QString progressEdit::fittedLine(const QLabel *label,
                                 const std::function<QString(const QString &)> &line,
                                 const QString &fileName)
{
    const QScreen *shownOn = screen();
    const int screenWidth = shownOn ? shownOn->availableGeometry().width() : width();
    if (width() > screenWidth)
        resize(screenWidth, height());
    const QMargins margins = topLayout->contentsMargins();
    const int room = qMin(width(), screenWidth) - margins.left() - margins.right() -
                     2 * (label->frameWidth() + label->margin());
    const QFontMetrics metrics(label->font());
    const QString whole = line(fileName);
    if (metrics.horizontalAdvance(whole) <= room)
        return whole;
    const int rest = metrics.horizontalAdvance(line(QString()));
    return line(metrics.elidedText(fileName, Qt::ElideMiddle, qMax(room - rest, 0)));
}

void progressEdit::setError(const QString &text)
{
    ErrorLabel->setText(fittedLine(ErrorLabel, [](const QString &whole) { return whole; }, text));
}

void progressEdit::closeEvent(QCloseEvent *e)
{
    // Only the owner may end the job and hide the window.
    e->ignore();
    emit closeRequest();
}

void progressEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier)
        close();
    else
        ProgressDlg::keyPressEvent(e);
}
