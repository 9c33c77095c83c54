#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "fileimage.h"
#include "rawlayout.h"
#include "testutils.h"

using namespace TestUtils;

namespace {

const qint64 plenty = qint64(64) << 20;

QByteArray be32(quint32 value)
{
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray le(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

QByteArray box(const char *type, const QByteArray &payload)
{
    return be32(quint32(8 + payload.size())) + type + payload;
}

QByteArray cr3(const QByteArray &boxes)
{
    return box("ftyp", "crx " + be32(1) + "crx isom") + boxes;
}

QByteArray nested(int levels)
{
    QByteArray inner = box("free", QByteArray(8, '\0'));
    for (int level = 0; level < levels; ++level)
        inner = box("moov", inner);
    return inner;
}

// A little-endian TIFF: IFD 0 at 8 points to `sensorBytes` of sensor data
// after a gap, and its next-IFD link back to itself when `loop`.
QByteArray tiff(int sensorBytes, bool loop)
{
    const quint32 sensorAt = 1 << 20;
    QByteArray file = QByteArray("II*\0", 4) + le(8, 4) + le(2, 2);
    file += le(273, 2) + le(4, 2) + le(1, 4) + le(sensorAt, 4);     // StripOffsets
    file += le(279, 2) + le(4, 2) + le(1, 4) + le(quint32(sensorBytes), 4);
    file += le(loop ? 8 : 0, 4);
    file += QByteArray(int(sensorAt) - file.size(), '\0');
    return file + QByteArray(sensorBytes, '\x5a');
}

ssize_t cardPulled(int, void *, size_t, off_t)
{
    errno = EIO;
    return -1;
}

} // namespace

class tst_RawLayout : public QObject
{
    Q_OBJECT

private slots:
    void structureIsCheckedFirst_data();
    void structureIsCheckedFirst();
    void readsStayWithinBounds_data();
    void readsStayWithinBounds();

private:
    QTemporaryDir dir;
};

void tst_RawLayout::structureIsCheckedFirst_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint64>("leftUnread"); // at least, of the sensor data

    const QByteArray mdat = box("mdat", QByteArray(1 << 20, '\x5a'));
    QTest::newRow("CR3 nested as deep as cameras go")
        << cr3(nested(RawLayout::maxBoxDepth) + mdat) << true << qint64(1 << 20) - 65536;
    QTest::newRow("CR3 nested one level deeper")
        << cr3(nested(RawLayout::maxBoxDepth + 1)) << false << qint64(0);
    QTest::newRow("box beyond the file's end")
        << cr3(be32(1000) + "moov" + box("trak", QByteArray(64, '\0'))) << false << qint64(0);
    QTest::newRow("box of 2^63 bytes")
        << cr3(be32(1) + "mdat" + be32(0x80000000) + be32(0)) << false << qint64(0);
    QTest::newRow("TIFF: the sensor data is not read") << tiff(1 << 20, false) << true
                                                       << qint64(1 << 20) - 65536;
    QTest::newRow("TIFF: IFDs in a loop") << tiff(16, true) << true << qint64(0);
}

void tst_RawLayout::structureIsCheckedFirst()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, accepted);
    QFETCH(qint64, leftUnread);
    QVERIFY(writeFile(dir.filePath("raw"), file));
    const int fd = open(QFile::encodeName(dir.filePath("raw")).constData(), O_RDONLY);
    FileImage image(fd, plenty, plenty, 2000, nullptr);
    RawLayout layout;
    QCOMPARE(layout.read(image), accepted);
    QVERIFY(image.bytesLeft() - (plenty - file.size()) >= leftUnread);
    close(fd);
}

void tst_RawLayout::readsStayWithinBounds_data()
{
    QTest::addColumn<QString>("bound");
    QTest::newRow("card pulled") << "pulled";
    QTest::newRow("more than the budget") << "budget";
    QTest::newRow("cancelled") << "cancelled";
}

void tst_RawLayout::readsStayWithinBounds()
{
    QFETCH(QString, bound);
    QVERIFY(writeFile(dir.filePath("raw"), QByteArray(1 << 20, '\x5a')));
    const int fd = open(QFile::encodeName(dir.filePath("raw")).constData(), O_RDONLY);
    const std::atomic<bool> cancelled(bound == "cancelled");
    FileImage image(fd, plenty, bound == "budget" ? (1 << 20) - 1 : plenty, 2000, &cancelled);
    if (bound == "pulled")
        FileImage::setReadAt(&cardPulled);
    QVERIFY(image.isValid());
    QVERIFY(!image.readAll());
    FileImage::setReadAt(nullptr);
    // Broken for good: nothing more is read, nothing is shown.
    QVERIFY(!image.isValid());
    QVERIFY(!image.read(0, 1));
    close(fd);
}

QTEST_MAIN(tst_RawLayout)
#include "tst_rawlayout.moc"
