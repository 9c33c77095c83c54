#ifndef CARDACCESS_H
#define CARDACCESS_H

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

// The way to the card's file system: the kernel's own calls, or the
// udisks2 service. Every request answers later with a signal, never from
// inside the call, whichever way is taken. A failure is the call's errno
// (an int) or the service's message and error name (a string, one per
// line); an invalid QVariant is success. A mounted card comes with its
// file system's identity, as its way knows it (empty when it does not).
class CardAccess : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // udisks2 when its service answers on the system bus, else the kernel.
    static std::unique_ptr<CardAccess> choose();

    // Whether the names fit the call at all; checked before mount().
    virtual bool takes(const QString &device, const QString &mountPoint) const = 0;
    virtual void mount(const QString &device, const QString &mountPoint) = 0;
    virtual void unmount(const QString &device, const QString &mountPoint) = 0;
    // Where the device is mounted now, as mountPointFound: empty when it is
    // not, or when nobody can tell.
    virtual void findMountPoint(const QString &device, const QString &mountPoint) = 0;
    // Only the service can look for a card by itself.
    virtual bool canFindCard() const { return false; }
    virtual void findCard() {}
    // Reports gone() once the device's file system goes away behind our
    // back, until forget().
    virtual void watch(const QString &) {}
    virtual void forget() {}

signals:
    void mountFinished(const QString &mountPoint, const QVariant &failure,
                       const QByteArray &volume);
    void unmountFinished(const QVariant &failure);
    void mountPointFound(const QString &mountPoint, const QByteArray &volume);
    // `device` is empty when no card was found.
    void cardFound(const QString &device, const QString &mountPoint, const QByteArray &volume);
    void gone();
};

#endif
