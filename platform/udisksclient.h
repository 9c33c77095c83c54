#ifndef UDISKSCLIENT_H
#define UDISKSCLIENT_H

#include <QDBusPendingCall>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

class QDBusMessage;
class QDBusObjectPath;
class QDBusPendingCall;

// Mounts and unmounts a card through the udisks2 service, as desktops do
// for users who are not root. Every call returns at once and answers with
// a signal later: the service may take its time or ask for a password.
// Failure texts are the service's message and error name, one per line.
class UDisksClient : public QObject
{
    Q_OBJECT
public:
    explicit UDisksClient(QObject *parent = nullptr);
    // Waits for calls still on their way, so that an unmount asked for
    // just before the program ends still happens.
    ~UDisksClient() override;

    // Whether the service answers on the system bus.
    static bool serviceAvailable();

    // `device` is the block device's file, e.g. /dev/sdb1.
    void mount(const QString &device);
    void unmount(const QString &device);
    void findMountPoint(const QString &device);
    // Looks for a camera card: file systems on removable drives or marked
    // for mounting by themselves, then those on loop devices, mounted or
    // not, in the order of their devices. The first whose root holds a DCIM
    // folder is the card; one mounted to look is unmounted again when it is
    // none. File systems of other disks are never touched.
    void findCard();

    // From now on says gone() once the device's file system is unmounted
    // by someone else or the device itself goes (a card pulled), until
    // forget() or the next watch().
    void watch(const QString &device);
    void forget();

    // The name of the DCIM folder at the root, in its case on the card;
    // empty when there is none.
    static QString dcimName(const QString &mountPoint);

signals:
    // `error` is empty on success. `volume` is the file system's IdUUID,
    // empty when the service does not tell it.
    void mountFinished(const QString &mountPoint, const QString &error, const QByteArray &volume);
    void unmountFinished(const QString &error);
    // Empty when the device is not mounted or the service does not know it.
    void mountPointFound(const QString &mountPoint, const QByteArray &volume);
    // `device` is empty when no card was found (or the service did not
    // answer); otherwise the card is mounted at `mountPoint`.
    void cardFound(const QString &device, const QString &mountPoint, const QByteArray &volume);
    void gone();

private slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);
    void interfacesRemoved(const QDBusObjectPath &objectPath, const QStringList &interfaces);

private:
    using Answer = std::function<void(const QDBusPendingCall &)>;
    using Found = std::function<void(const QString &objectPath, const QString &error)>;
    void call(const QDBusMessage &message, int timeoutMs, const Answer &answer);
    void resolve(const QString &device, const Found &found);
    // The IdUUID of the block device's object, to `read`.
    void readVolume(const QString &objectPath, const std::function<void(const QByteArray &)> &read);
    // Runs the answers of calls that had finished when they were made.
    void answerFinished();

    // Calls answered at once (no bus, or a quick reply): their answers wait
    // here for the event loop, or for the destructor.
    QList<QPair<QDBusPendingCall, Answer>> finished;
    // The watched device's object; empty while nothing is watched.
    QString watched;
    int watches = 0;

    // A file system that may be the card.
    struct Candidate
    {
        QString objectPath;
        QString device;
        // Empty when not mounted.
        QString mountPoint;
        QByteArray volume;
    };
    // The file systems findCard() looks at, from the service's objects.
    static QList<Candidate> cardCandidates(const QDBusPendingCall &managedObjects);
    void lookAt(QList<Candidate> candidates);
    void take(const Candidate &card, const QString &mountPoint);
};

#endif
