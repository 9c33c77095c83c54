#ifndef UDISKSCARDACCESS_H
#define UDISKSCARDACCESS_H

#include "cardaccess.h"
#include "udisksclient.h"

// Mounts through the udisks2 service, as desktops do for users who are not
// root; the service chooses the mount point.
class UDisksCardAccess : public CardAccess
{
    Q_OBJECT
public:
    explicit UDisksCardAccess(QObject *parent = nullptr);

    bool takes(const QString &, const QString &) const override { return true; }
    void mount(const QString &device, const QString &mountPoint) override;
    void unmount(const QString &device, const QString &mountPoint) override;
    void findMountPoint(const QString &device, const QString &mountPoint) override;
    bool canFindCard() const override { return true; }
    void findCard() override { udisks.findCard(); }
    void watch(const QString &device) override { udisks.watch(device); }
    void forget() override { udisks.forget(); }

private:
    UDisksClient udisks;
};

#endif
