#include "udiskscardaccess.h"

namespace {

QVariant failureOf(const QString &error)
{
    return error.isEmpty() ? QVariant() : QVariant(error);
}

} // namespace

UDisksCardAccess::UDisksCardAccess(QObject *parent) : CardAccess(parent)
{
    connect(&udisks, &UDisksClient::mountFinished, this,
            [this](const QString &mountPoint, const QString &error, const QByteArray &volume) {
                emit mountFinished(mountPoint, failureOf(error), volume);
            });
    connect(&udisks, &UDisksClient::unmountFinished, this,
            [this](const QString &error) { emit unmountFinished(failureOf(error)); });
    connect(&udisks, &UDisksClient::mountPointFound, this, &CardAccess::mountPointFound);
    connect(&udisks, &UDisksClient::cardFound, this, &CardAccess::cardFound);
    connect(&udisks, &UDisksClient::gone, this, &CardAccess::gone);
}

void UDisksCardAccess::mount(const QString &device, const QString &)
{
    udisks.mount(device);
}

void UDisksCardAccess::unmount(const QString &device, const QString &)
{
    udisks.unmount(device);
}

void UDisksCardAccess::findMountPoint(const QString &device, const QString &)
{
    udisks.findMountPoint(device);
}
