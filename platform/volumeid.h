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

} // namespace VolumeId

#endif
