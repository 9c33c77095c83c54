#ifndef VOLUMEID_H
#define VOLUMEID_H

#include <QByteArray>

class Folder;

// The serial number a FAT file system was given when it was formatted, as
// udisks2 shows it in IdUUID ("1A2B-3C4D"): what tells two cards apart
// whose folders and names are the same.
namespace VolumeId {

// Empty where the file system does not answer (anything but FAT).
QByteArray ofMountedFolder(const Folder &folder);

// The one form identities are kept and compared in, so that a card named
// by the kernel's number once and by udisks2 later is one card: a FAT
// serial in any of its spellings ("1a2b3c4d", "0x1A2B3C4D") becomes
// "1A2B-3C4D"; any other identity (an ext4 UUID) is upper-cased as it is.
QByteArray normal(const QByteArray &volume);

} // namespace VolumeId

#endif
