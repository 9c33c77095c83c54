#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "camerapicture.h"
#include "imaging/thumbnailfile.h"
#include "testutils.h"

namespace {

bool setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

class tst_ThumbnailFile : public QObject
{
    Q_OBJECT

private slots:
    void usedOnlyForItsPicture_data();
    void usedOnlyForItsPicture();
};

void tst_ThumbnailFile::usedOnlyForItsPicture_data()
{
    QTest::addColumn<bool>("stamped");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("used");

    QTest::newRow("stamped, picture unchanged") << true << 6 << "none" << true;
    QTest::newRow("stamped, another older picture under the name")
        << true << 0 << "replaced by older" << false;
    QTest::newRow("stamped, same size, other time") << true << 0 << "touched" << false;
    QTest::newRow("unstamped, newer than the picture") << false << 0 << "none" << true;
    QTest::newRow("unstamped, older than the picture") << false << 0 << "thumb older" << false;
    QTest::newRow("unstamped, picture turned by its tag") << false << 6 << "none" << false;
    QTest::newRow("FIFO under the thumbnail's name") << false << 0 << "fifo" << false;
}

void tst_ThumbnailFile::usedOnlyForItsPicture()
{
    QFETCH(bool, stamped);
    QFETCH(int, orientation);
    QFETCH(QString, change);
    QFETCH(bool, used);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString picture = dir.filePath("x.jpg");
    const QString thumb = dir.filePath("x.jpg.png");
    QVERIFY(TestUtils::writeCameraPicture(picture, TestUtils::quadrantImage(QSize(64, 48)),
                                          orientation));
    const QImage small = TestUtils::quadrantImage(QSize(20, 15));
    if (change == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(thumb).constData(), 0600), 0);
    else if (stamped)
        QVERIFY(ThumbnailFile::save(thumb, small, ThumbnailFile::stampOf(picture)));
    else
        QVERIFY(small.save(thumb, "PNG"));

    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    if (change == "replaced by older") {
        // A copy keeps the photo's old time, as copies onto a refilled card do.
        QVERIFY(TestUtils::writePicture(picture, QSize(80, 60)));
        QVERIFY(setModified(picture, hourAgo));
    } else if (change == "touched") {
        QVERIFY(setModified(picture, hourAgo));
    } else if (change == "thumb older") {
        QVERIFY(setModified(thumb, hourAgo));
    }

    const QImage loaded = ThumbnailFile::load(thumb, picture);
    QCOMPARE(!loaded.isNull(), used);
    if (used)
        QCOMPARE(loaded.size(), small.size());
}

QTEST_MAIN(tst_ThumbnailFile)
#include "tst_thumbnailfile.moc"
