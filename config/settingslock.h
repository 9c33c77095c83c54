#ifndef SETTINGSLOCK_H
#define SETTINGSLOCK_H

#include <QString>

// Keeps a second program from using the same settings: an advisory lock on
// the settings folder, held while this object lives. The folder, not the
// file, carries it, because every save renames a new file over the old one
// and a lock on the file would go with it.
class SettingsLock
{
public:
    explicit SettingsLock(const QString &folder);
    ~SettingsLock();
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;

    // Another program holds the lock. A folder that cannot be opened is
    // not taken: no settings can be saved there anyway.
    bool takenElsewhere() const { return elsewhere; }

private:
    int fd = -1;
    bool elsewhere = false;
};

#endif
