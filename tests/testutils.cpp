#include "testutils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace TestUtils {

StdoutCapture::StdoutCapture()
{
    fflush(stdout);
    capturePath = QDir::tempPath() + QString("/tessel-stdout-%1-%2")
                                         .arg(getpid())
                                         .arg(quintptr(this), 0, 16);
    captureFd = ::open(QFile::encodeName(capturePath).constData(),
                       O_RDWR | O_CREAT | O_TRUNC, 0600);
    savedFd = ::dup(STDOUT_FILENO);
    ::dup2(captureFd, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture()
{
    fflush(stdout);
    ::dup2(savedFd, STDOUT_FILENO);
    ::close(savedFd);
    ::close(captureFd);
    QFile::remove(capturePath);
}

QString StdoutCapture::text() const
{
    fflush(stdout);
    QFile file(capturePath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

FifoWatchdog::FifoWatchdog(const QByteArray &path, int ms)
    : path(path)
{
    madeFifo = ::mkfifo(path.constData(), 0644) == 0;
    if (madeFifo)
        thread = std::thread(&FifoWatchdog::watch, this, ms);
}

FifoWatchdog::~FifoWatchdog()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void FifoWatchdog::watch(int ms)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done; }))
        return;
    while (!done) {
        // Without O_NONBLOCK the open would wait for a reader itself.
        const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            fired = true;
            ::close(fd);
        }
        wake.wait_for(lock, std::chrono::milliseconds(20), [this] { return done; });
    }
}

ModalAnswerer::ModalAnswerer(int timeoutMs)
    : timeout(timeoutMs)
{
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
}

void ModalAnswerer::answerMessageBox(QMessageBox::StandardButton button)
{
    answerModal([this, button](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box) {
            captions << QString("<not a message box: %1>").arg(widget->metaObject()->className());
            texts << QString();
            return;
        }
        captions << box->windowTitle();
        texts << box->text();
        if (QAbstractButton *b = box->button(button))
            b->click();
        else
            box->done(button);
    });
}

void ModalAnswerer::answerModal(std::function<void(QWidget *)> action)
{
    actions.push(std::move(action));
    if (!timer.isActive()) {
        waited = 0;
        timer.start();
    }
}

void ModalAnswerer::poll()
{
    if (actions.empty()) {
        timer.stop();
        return;
    }
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == lastHandled) {
        waited += timer.interval();
        if (waited > timeout) {
            gaveUp = true;
            timer.stop();
        }
        return;
    }
    lastHandled = modal;
    waited = 0;
    auto action = std::move(actions.front());
    actions.pop();
    action(modal);
}

namespace {
const unsigned int fileCapabilities =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool capabilities(__user_cap_data_struct (&caps)[2], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(set ? SYS_capset : SYS_capget, &header, caps) == 0;
}
} // namespace

PermissionChecksOn::PermissionChecksOn()
{
    __user_cap_data_struct caps[2] = {};
    if (!capabilities(caps, false) || !(caps[0].effective & fileCapabilities))
        return;
    savedEffective = caps[0].effective;
    caps[0].effective &= ~fileCapabilities;
    changed = capabilities(caps, true);
}

PermissionChecksOn::~PermissionChecksOn()
{
    if (!changed)
        return;
    __user_cap_data_struct caps[2] = {};
    if (capabilities(caps, false)) {
        caps[0].effective = savedEffective;
        capabilities(caps, true);
    }
}

FileSizeLimit::FileSizeLimit(unsigned long bytes)
{
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    savedCurrent = limit.rlim_cur;
    limit.rlim_cur = bytes;
    changed = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (!changed)
        return;
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = savedCurrent;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
}

bool writePicture(const QString &path, const QSize &size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(30, 90, 200));
    gradient.setColorAt(0.5, QColor(240, 220, 120));
    gradient.setColorAt(1, QColor(200, 40, 40));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    return image.save(path, format);
}

bool writeCorruptPicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A JPEG start marker followed by garbage: looks like a picture by name
    // and first bytes, but does not decode.
    const QByteArray bytes = QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(2000, 'x');
    return file.write(bytes) == bytes.size();
}

QStringList visibleTopLevels()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            names << QString("%1(%2)").arg(w->metaObject()->className(), w->objectName());
    }
    return names;
}

bool writeHugePicture(const QString &path)
{
    if (!writePicture(path, QSize(64, 48)))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const int sof = bytes.indexOf("\xff\xc0");
    if (sof < 0)
        return false;
    // Height and width, big-endian, after the marker, length and precision.
    bytes.replace(sof + 5, 4, QByteArray("\x9c\x40\x9c\x40", 4));
    return file.seek(0) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool touch(const QString &path, int bytes)
{
    return writeFile(path, QByteArray(bytes, 'x'));
}

QString nameOf(const QTreeWidgetItem *item)
{
    // The browser's source list shows a camera folder in its third column.
    const QTreeWidget *list = item->treeWidget();
    const QString folder =
        list && list->objectName() == "LeftListView" ? item->text(2) : QString();
    return folder.isEmpty() ? item->text(0) : folder + "/" + item->text(0);
}

QStringList names(const QTreeWidget *list)
{
    QStringList result;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        result << nameOf(list->topLevelItem(i));
    return result;
}

QTreeWidgetItem *item(const QTreeWidget *list, const QString &name)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (nameOf(list->topLevelItem(i)) == name)
            return list->topLevelItem(i);
    return nullptr;
}

QString diagnostics(const StdoutCapture &out)
{
    // The program's lines start with a line break, so a log line may follow
    // its text on the same line.
    static const QRegularExpression logLine("(QWARN|QDEBUG|QINFO)  : [^\n]*\n");
    return out.text().remove(logLine);
}

} // namespace TestUtils
