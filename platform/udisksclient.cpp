#include "platform/udisksclient.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>

#include <cerrno>
#include <cstring>

namespace {

const char service[] = "org.freedesktop.UDisks2";
const char filesystemInterface[] = "org.freedesktop.UDisks2.Filesystem";

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

QString firstMountPoint(const QDBusVariant &mountPoints)
{
    QList<QByteArray> points;
    mountPoints.variant().value<QDBusArgument>() >> points;
    // Each point comes with its terminating zero byte.
    return points.isEmpty() ? QString() : QFile::decodeName(points.first().constData());
}

} // namespace

UDisksClient::UDisksClient(QObject *parent) : QObject(parent) {}

UDisksClient::~UDisksClient()
{
    // Whoever asked is going away: the calls finish unheard. An answer may
    // start the next call of its chain, hence the loop.
    blockSignals(true);
    while (auto *watcher = findChild<QDBusPendingCallWatcher *>()) {
        watcher->waitForFinished();
        delete watcher;
    }
}

bool UDisksClient::serviceAvailable()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(service);
}

void UDisksClient::call(const QDBusMessage &message, int timeoutMs, const Answer &answer)
{
    auto *watcher = new QDBusPendingCallWatcher(
        QDBusConnection::systemBus().asyncCall(message, timeoutMs), this);
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

void UDisksClient::mount(const QString &device)
{
    resolve(device, [this](const QString &objectPath, const QString &error) {
        if (!error.isEmpty()) {
            emit mountFinished({}, error);
            return;
        }
        call(filesystemCall(objectPath, "Mount"), mountTimeoutMs,
             [this](const QDBusPendingCall &answer) {
                 const QDBusPendingReply<QString> reply = answer;
                 if (reply.isError())
                     emit mountFinished({}, errorText(reply.error()));
                 else
                     emit mountFinished(reply.value(), {});
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
            emit mountPointFound({});
            return;
        }
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, objectPath, "org.freedesktop.DBus.Properties", "Get");
        message << QString(filesystemInterface) << QString("MountPoints");
        call(message, lookupTimeoutMs, [this](const QDBusPendingCall &answer) {
            // No file system on the device: nothing to show as mounted.
            const QDBusPendingReply<QDBusVariant> reply = answer;
            emit mountPointFound(reply.isError() ? QString() : firstMountPoint(reply.value()));
        });
    });
}
