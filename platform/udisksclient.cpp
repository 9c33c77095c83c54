#include "udisksclient.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDBusMetaType>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "diagnostics.h"
#include "folder.h"

// What the service's object manager answers: each object's interfaces
// with their properties.
using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;
Q_DECLARE_METATYPE(Interfaces)
Q_DECLARE_METATYPE(ManagedObjects)

namespace {

const char service[] = "org.freedesktop.UDisks2";
const char filesystemInterface[] = "org.freedesktop.UDisks2.Filesystem";
const char blockInterface[] = "org.freedesktop.UDisks2.Block";
const char driveInterface[] = "org.freedesktop.UDisks2.Drive";
const char loopInterface[] = "org.freedesktop.UDisks2.Loop";
const char partitionInterface[] = "org.freedesktop.UDisks2.Partition";

// Mounting may wait for the user to type a password.
const int mountTimeoutMs = 120000;
const int lookupTimeoutMs = 10000;

QString errorText(const QDBusError &error)
{
    return error.message() + "\n" + error.name();
}

QDBusMessage filesystemCall(const QString &objectPath, const QString &method)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, objectPath, filesystemInterface, method);
    // Lets the service ask for a password when the user may mount only so.
    message << QVariantMap{{"auth.no_user_interaction", false}};
    return message;
}

QDBusMessage propertyCall(const QString &objectPath, const QString &interface,
                          const QString &property)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        service, objectPath, "org.freedesktop.DBus.Properties", "Get");
    message << interface << property;
    return message;
}

QString firstMountPoint(const QVariant &mountPoints)
{
    QList<QByteArray> points;
    if (mountPoints.canConvert<QDBusArgument>())
        mountPoints.value<QDBusArgument>() >> points;
    // Each point comes with its terminating zero byte.
    return points.isEmpty() ? QString() : QFile::decodeName(points.first().constData());
}

// Device names in the order of their numbers: loop2 before loop10.
bool naturalLess(const QString &a, const QString &b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const int startA = i;
            const int startB = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            const qulonglong numberA = a.mid(startA, i - startA).toULongLong();
            const qulonglong numberB = b.mid(startB, j - startB).toULongLong();
            if (numberA != numberB)
                return numberA < numberB;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

} // namespace

UDisksClient::UDisksClient(QObject *parent) : QObject(parent) {}

UDisksClient::~UDisksClient()
{
    forget();
    // Whoever asked is going away: the calls finish unheard. An answer may
    // start the next call of its chain, hence the loop.
    blockSignals(true);
    for (;;) {
        if (!finished.isEmpty()) {
            answerFinished();
            continue;
        }
        auto *watcher = findChild<QDBusPendingCallWatcher *>();
        if (!watcher)
            break;
        watcher->waitForFinished();
        delete watcher;
    }
}

void UDisksClient::answerFinished()
{
    while (!finished.isEmpty()) {
        const QPair<QDBusPendingCall, Answer> call = finished.takeFirst();
        call.second(call.first);
    }
}

bool UDisksClient::serviceAvailable()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(service);
}

void UDisksClient::call(const QDBusMessage &message, int timeoutMs, const Answer &answer)
{
    const QDBusPendingCall pending = QDBusConnection::systemBus().asyncCall(message, timeoutMs);
    // Without a bus the call fails at once, and a watcher would never say so.
    if (pending.isFinished()) {
        finished.append({pending, answer});
        QMetaObject::invokeMethod(this, &UDisksClient::answerFinished, Qt::QueuedConnection);
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, answer] {
        watcher->deleteLater();
        answer(*watcher);
    });
}

void UDisksClient::resolve(const QString &device, const Found &found)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        service, "/org/freedesktop/UDisks2/Manager", "org.freedesktop.UDisks2.Manager",
        "ResolveDevice");
    message << QVariantMap{{"path", device}} << QVariantMap();
    call(message, lookupTimeoutMs, [device, found](const QDBusPendingCall &answer) {
        const QDBusPendingReply<QList<QDBusObjectPath>> reply = answer;
        if (reply.isError())
            found({}, errorText(reply.error()));
        else if (reply.value().isEmpty())
            found({}, QString::fromLocal8Bit(strerror(ENODEV)) + "\n" + device);
        else
            found(reply.value().first().path(), {});
    });
}

void UDisksClient::readVolume(const QString &objectPath,
                              const std::function<void(const QByteArray &)> &read)
{
    call(propertyCall(objectPath, blockInterface, "IdUUID"), lookupTimeoutMs,
         [read](const QDBusPendingCall &answer) {
             const QDBusPendingReply<QDBusVariant> reply = answer;
             read(reply.isError() ? QByteArray()
                                  : reply.value().variant().toString().toUtf8());
         });
}

void UDisksClient::mount(const QString &device)
{
    resolve(device, [this](const QString &objectPath, const QString &error) {
        if (!error.isEmpty()) {
            emit mountFinished({}, error, {});
            return;
        }
        call(filesystemCall(objectPath, "Mount"), mountTimeoutMs,
             [this, objectPath](const QDBusPendingCall &answer) {
                 const QDBusPendingReply<QString> reply = answer;
                 if (reply.isError()) {
                     emit mountFinished({}, errorText(reply.error()), {});
                     return;
                 }
                 const QString mountPoint = reply.value();
                 readVolume(objectPath, [this, mountPoint](const QByteArray &volume) {
                     emit mountFinished(mountPoint, {}, volume);
                 });
             });
    });
}

void UDisksClient::unmount(const QString &device)
{
    resolve(device, [this](const QString &objectPath, const QString &error) {
        if (!error.isEmpty()) {
            emit unmountFinished(error);
            return;
        }
        call(filesystemCall(objectPath, "Unmount"), mountTimeoutMs,
             [this](const QDBusPendingCall &answer) {
                 const QDBusPendingReply<> reply = answer;
                 emit unmountFinished(reply.isError() ? errorText(reply.error()) : QString());
             });
    });
}

void UDisksClient::findMountPoint(const QString &device)
{
    resolve(device, [this](const QString &objectPath, const QString &error) {
        if (!error.isEmpty()) {
            emit mountPointFound({}, {});
            return;
        }
        call(propertyCall(objectPath, filesystemInterface, "MountPoints"), lookupTimeoutMs,
             [this, objectPath](const QDBusPendingCall &answer) {
                 // No file system on the device: nothing to show as mounted.
                 const QDBusPendingReply<QDBusVariant> reply = answer;
                 const QString mountPoint =
                     reply.isError() ? QString() : firstMountPoint(reply.value().variant());
                 if (mountPoint.isEmpty()) {
                     emit mountPointFound({}, {});
                     return;
                 }
                 readVolume(objectPath, [this, mountPoint](const QByteArray &volume) {
                     emit mountPointFound(mountPoint, volume);
                 });
             });
    });
}

void UDisksClient::watch(const QString &device)
{
    forget();
    // A forget() before the service answers stands.
    const int asked = ++watches;
    resolve(device, [this, asked](const QString &objectPath, const QString &error) {
        if (!error.isEmpty() || asked != watches)
            return;
        QDBusConnection bus = QDBusConnection::systemBus();
        watched = objectPath;
        bus.connect(service, objectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                    this, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        bus.connect(service, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.ObjectManager",
                    "InterfacesRemoved", this,
                    SLOT(interfacesRemoved(QDBusObjectPath, QStringList)));
    });
}

void UDisksClient::forget()
{
    ++watches;
    if (watched.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.disconnect(service, watched, "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                   SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    bus.disconnect(service, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.ObjectManager",
                   "InterfacesRemoved", this, SLOT(interfacesRemoved(QDBusObjectPath, QStringList)));
    watched.clear();
}

void UDisksClient::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                     const QStringList &)
{
    if (interface != filesystemInterface || !changed.contains("MountPoints") ||
        !firstMountPoint(changed.value("MountPoints")).isEmpty())
        return;
    forget();
    emit gone();
}

void UDisksClient::interfacesRemoved(const QDBusObjectPath &objectPath,
                                     const QStringList &interfaces)
{
    if (objectPath.path() != watched ||
        (!interfaces.contains(filesystemInterface) && !interfaces.contains(blockInterface)))
        return;
    forget();
    emit gone();
}

QString UDisksClient::dcimName(const QString &mountPoint)
{
    const Folder root(mountPoint);
    QList<QByteArray> names;
    if (mountPoint.isEmpty() || !root.entryNames(&names))
        return {};
    for (const QByteArray &name : names) {
        if (name.toUpper() == "DCIM" && Folder(root, name, Folder::Links::NotFollowed).isOpen())
            return Folder::displayName(name);
    }
    return {};
}

void UDisksClient::findCard()
{
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();
    const QDBusMessage message = QDBusMessage::createMethodCall(
        service, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.ObjectManager",
        "GetManagedObjects");
    call(message, lookupTimeoutMs,
         [this](const QDBusPendingCall &answer) { lookAt(cardCandidates(answer)); });
}

QList<UDisksClient::Candidate> UDisksClient::cardCandidates(const QDBusPendingCall &managedObjects)
{
    const QDBusPendingReply<ManagedObjects> reply = managedObjects;
    if (reply.isError()) {
        Diagnostics::print("\nUDisksClient::findCard - " + errorText(reply.error()).toLocal8Bit() +
                           "\n");
        return {};
    }
    const ManagedObjects objects = reply.value();
    // Removable drives first, then loop devices; each in device order.
    QList<std::pair<int, Candidate>> ranked;
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const Interfaces &interfaces = object.value();
        if (!interfaces.contains(filesystemInterface) || !interfaces.contains(blockInterface))
            continue;
        const QVariantMap block = interfaces.value(blockInterface);
        const QVariantMap drive =
            objects.value(block.value("Drive").value<QDBusObjectPath>()).value(driveInterface);
        const bool removable = drive.value("Removable").toBool() ||
                               drive.value("MediaRemovable").toBool() ||
                               block.value("HintAuto").toBool();
        // A partition of a loop device is on the loop device too.
        const QDBusObjectPath table =
            interfaces.value(partitionInterface).value("Table").value<QDBusObjectPath>();
        const bool loop = interfaces.contains(loopInterface) ||
                          objects.value(table).contains(loopInterface);
        if (!removable && !loop)
            continue;
        const QByteArray device = block.value("Device").toByteArray();
        const QVariant mountPoints = interfaces.value(filesystemInterface).value("MountPoints");
        ranked.append({removable ? 0 : 1,
                       {object.key().path(), QFile::decodeName(device.constData()),
                        firstMountPoint(mountPoints), block.value("IdUUID").toString().toUtf8()}});
    }
    std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first < b.first
                                  : naturalLess(a.second.device, b.second.device);
    });
    QList<Candidate> candidates;
    for (const auto &entry : ranked)
        candidates.append(entry.second);
    return candidates;
}

void UDisksClient::lookAt(QList<Candidate> candidates)
{
    if (candidates.isEmpty()) {
        emit cardFound({}, {}, {});
        return;
    }
    const Candidate candidate = candidates.takeFirst();
    if (!candidate.mountPoint.isEmpty()) {
        // Mounted by someone else: looked at, and left as it is.
        if (!dcimName(candidate.mountPoint).isEmpty())
            take(candidate, candidate.mountPoint);
        else
            lookAt(candidates);
        return;
    }
    call(filesystemCall(candidate.objectPath, "Mount"), mountTimeoutMs,
         [this, candidate, candidates](const QDBusPendingCall &answer) {
             const QDBusPendingReply<QString> mounted = answer;
             if (mounted.isError()) {
                 lookAt(candidates);
                 return;
             }
             if (!dcimName(mounted.value()).isEmpty()) {
                 take(candidate, mounted.value());
                 return;
             }
             call(filesystemCall(candidate.objectPath, "Unmount"), mountTimeoutMs,
                  [this, candidate, candidates](const QDBusPendingCall &answer) {
                      const QDBusPendingReply<> unmounted = answer;
                      if (unmounted.isError()) {
                          Diagnostics::print("\nUDisksClient::findCard - " +
                                             candidate.device.toLocal8Bit() + " stays mounted: " +
                                             errorText(unmounted.error()).toLocal8Bit() + "\n");
                      }
                      lookAt(candidates);
                  });
         });
}

// With several cards in, the user learns which one is shown.
void UDisksClient::take(const Candidate &card, const QString &mountPoint)
{
    Diagnostics::print("\nUDisksClient::findCard - card " + card.device.toLocal8Bit() + " at " +
                       mountPoint.toLocal8Bit() + "\n");
    emit cardFound(card.device, mountPoint, card.volume);
}
