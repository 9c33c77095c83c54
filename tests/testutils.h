#ifndef TESTUTILS_H
#define TESTUTILS_H

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

class QTreeWidget;
class QTreeWidgetItem;

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <queue>
#include <thread>

namespace TestUtils {

// Captures what the program writes to file descriptor 1 (printf) while it
// lives. text() may be read at any time; the descriptor is restored on
// destruction.
class StdoutCapture
{
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    QString text() const;

private:
    int savedFd;
    int captureFd;
    QString capturePath;
};

// Answers modal widgets as they appear, in order: each queued action runs
// on the next modal widget (QApplication::activeModalWidget()) that it has
// not handled yet. Polls from the event loop, so it works inside exec().
class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit ModalAnswerer(int timeoutMs = 5000);

    // Clicks the given button of the next message box and records its
    // caption and text.
    void answerMessageBox(QMessageBox::StandardButton button);
    // Runs any action on the next modal widget (dialogs of our own).
    void answerModal(std::function<void(QWidget *)> action);

    int pending() const { return int(actions.size()); }
    bool timedOut() const { return gaveUp; }

    QStringList captions;
    QStringList texts;

private:
    void poll();

    std::queue<std::function<void(QWidget *)>> actions;
    QPointer<QWidget> lastHandled;
    QTimer timer;
    int timeout;
    int waited = 0;
    bool gaveUp = false;
};

// While alive, file permission bits bind this thread even when it runs as
// root (CI does): the file capabilities are dropped from the effective set
// and given back on destruction. Lets tests make unreadable directories and
// read-only folders that really refuse. A thread started meanwhile (the
// browser's worker starts at its first job) inherits the dropped set.
class PermissionChecksOn
{
public:
    PermissionChecksOn();
    ~PermissionChecksOn();
    PermissionChecksOn(const PermissionChecksOn &) = delete;
    PermissionChecksOn &operator=(const PermissionChecksOn &) = delete;

private:
    unsigned int savedEffective = 0;
    bool changed = false;
};

// While alive, no file of this process may grow past `bytes`: writes
// beyond fail with EFBIG (SIGXFSZ is ignored for good), as on a full disk.
// The old limit comes back on destruction.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    unsigned long long savedCurrent = 0;
    bool changed = false;
};

// A FIFO at `path` (the bytes of its name) that can never hang a test: when
// the watchdog has lived `ms`, it opens the FIFO for writing, again and again
// until it goes, so that whoever waits to read it goes on. unblocked() says
// whether anyone did wait.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QByteArray &path, int ms = 5000);
    ~FifoWatchdog();
    FifoWatchdog(const FifoWatchdog &) = delete;
    FifoWatchdog &operator=(const FifoWatchdog &) = delete;

    bool made() const { return madeFifo; }
    bool unblocked() const { return fired; }

private:
    void watch(int ms);

    QByteArray path;
    bool madeFifo = false;
    std::atomic<bool> fired{false};
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::thread thread;
};

// Writes a picture of the given size and format ("JPEG", "PNG") with a
// colour gradient, so that scaling changes its pixels. True on success.
bool writePicture(const QString &path, const QSize &size, const char *format = "JPEG");

// Writes bytes that no image reader accepts under a picture's name.
bool writeCorruptPicture(const QString &path);

// Names of the visible top-level widgets, for cleanup() checks.
QStringList visibleTopLevels();

// A JPEG whose header claims 40000 x 40000 pixels: small on disk, far too
// big to decode.
bool writeHugePicture(const QString &path);

// The whole file; empty when it cannot be read.
QByteArray readFile(const QString &path);

// Creates or truncates the file and writes the bytes. True when all went in.
bool writeFile(const QString &path, const QByteArray &bytes);

// Creates or truncates the file with `bytes` filler bytes.
bool touch(const QString &path, int bytes = 0);

// The list's top-level rows in order, each as its name, or as
// "folder/name" ("100CANON/IMG_0001.JPG") where a row shows its folder.
QString nameOf(const QTreeWidgetItem *item);
QStringList names(const QTreeWidget *list);
// The row `names` gives as `name`, or null.
QTreeWidgetItem *item(const QTreeWidget *list, const QString &name);

// What the program printed, without the log lines the test itself writes to
// the same descriptor meanwhile (a warning while a window is up, say).
QString diagnostics(const StdoutCapture &out);

} // namespace TestUtils

#endif
