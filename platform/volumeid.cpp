#include "volumeid.h"

#include <linux/msdos_fs.h>
#include <sys/ioctl.h>

#include <cctype>
#include <cstdio>

#include "folder.h"

namespace {

bool allHex(QByteArrayView text)
{
    for (const char c : text)
        if (!isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

QByteArray VolumeId::ofMountedFolder(const Folder &folder)
{
    __u32 id = 0;
    if (!folder.isOpen() || ioctl(folder.descriptor(), FAT_IOCTL_GET_VOLUME_ID, &id) != 0)
        return QByteArray();
    char text[10];
    snprintf(text, sizeof text, "%04X-%04X", unsigned(id >> 16), unsigned(id & 0xffff));
    return QByteArray(text);
}

QByteArray VolumeId::normal(const QByteArray &volume)
{
    const QByteArray given = volume.trimmed().toUpper();
    QByteArray serial = given;
    // The kernel's number, as a program may have printed it.
    if (serial.startsWith("0X") && serial.size() > 2 && serial.size() <= 10 &&
        allHex(QByteArrayView(serial).sliced(2)))
        serial = serial.sliced(2).rightJustified(8, '0');
    else if (serial.size() == 9 && serial.at(4) == '-')
        serial.remove(4, 1);
    if (serial.size() == 8 && allHex(serial))
        return serial.insert(4, '-');
    return given;
}
