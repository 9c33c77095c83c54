#ifndef UDISKSTESTBED_H
#define UDISKSTESTBED_H

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

#include "udisksclient.h"
#include "testutils.h"

// A udisks2 service on a private system bus with card images on loop
// devices, set up and torn down by scripts/udisks-testbed.sh. The test
// program defines TESSEL_SOURCE_DIR.
class UDisksTestBed
{
public:
    ~UDisksTestBed() { stop(); }

    // One card image for each folder, holding its files. Empty on success,
    // else why the test bed is not there.
    QString start(const QStringList &cardFolders)
    {
        if (geteuid() != 0)
            return "it needs root for loop devices and mounting";
        if (!lock.tryLock(120000))
            return "another test run holds it";
        running = true;
        QProcess script;
        script.start(TESSEL_SOURCE_DIR "/scripts/udisks-testbed.sh",
                     QStringList("start") + cardFolders);
        // The script's last word says why; what comes before is apt's.
        if (!script.waitForFinished(240000) || script.exitCode() != 0)
            return QString::fromLocal8Bit(script.readAllStandardError().trimmed().split('\n').last());
        for (const QByteArray &line : script.readAllStandardOutput().split('\n')) {
            if (line.startsWith("DEVICE="))
                devices << QString::fromLocal8Bit(line.mid(7));
            else if (line.startsWith("BUS="))
                qputenv("DBUS_SYSTEM_BUS_ADDRESS", line.mid(4));
        }
        device = devices.value(0);
        if (!UDisksClient::serviceAvailable())
            return "udisks2 does not answer on its bus";
        return {};
    }

    void stop()
    {
        if (!running)
            return;
        QProcess::execute(TESSEL_SOURCE_DIR "/scripts/udisks-testbed.sh", {"stop"});
        running = false;
        lock.unlock();
    }

    // Where a card is mounted now, by the kernel's own table.
    QString mountPoint(const QString &card = QString()) const
    {
        const QString wanted = card.isEmpty() ? device : card;
        for (const QByteArray &line : TestUtils::readFile("/proc/self/mounts").split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() > 1 && QString::fromLocal8Bit(fields[0]) == wanted)
                return QString::fromLocal8Bit(fields[1]);
        }
        return {};
    }

    // The card taken away while it may be in use.
    int pull(const QString &card) const
    {
        return QProcess::execute(TESSEL_SOURCE_DIR "/scripts/udisks-testbed.sh", {"pull", card});
    }

    // The identity of a card's file system, as the kernel's probe reads it
    // from the device itself, upper-cased.
    static QByteArray volume(const QString &card)
    {
        QProcess probe;
        probe.start("blkid", {"-p", "-s", "UUID", "-o", "value", card});
        probe.waitForFinished(20000);
        return probe.readAllStandardOutput().trimmed().toUpper();
    }

    int udisksctl(const QString &action, const QString &card = QString()) const
    {
        return QProcess::execute("udisksctl", {action, "--no-user-interaction", "-b",
                                               card.isEmpty() ? device : card});
    }

    // The first card's device, and every card's in the order of start().
    QString device;
    QStringList devices;

private:
    QLockFile lock{QDir::tempPath() + "/tessel-udisks-testbed.lock"};
    bool running = false;
};

#endif
