#include "volumeid.h"

#include <linux/msdos_fs.h>
#include <sys/ioctl.h>

#include <cstdio>

#include "folder.h"

QByteArray VolumeId::ofMountedFolder(const Folder &folder)
{
    __u32 id = 0;
    if (!folder.isOpen() || ioctl(folder.descriptor(), FAT_IOCTL_GET_VOLUME_ID, &id) != 0)
        return QByteArray();
    char text[10];
    snprintf(text, sizeof text, "%04X-%04X", unsigned(id >> 16), unsigned(id & 0xffff));
    return QByteArray(text);
}
