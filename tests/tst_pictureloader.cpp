#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "camerapicture.h"
#include "pictureloader.h"
#include "videopreview.h"
#include "folder.h"
#include "testutils.h"

using namespace TestUtils;

namespace {

// Thumbnails are drawn in colours of their own, so a test can tell where a
// preview came from.
const Quadrants &thumbnailQuadrants = otherQuadrants;
const QSize preview(100, 75);

// The camera's thumbnail of a photo that looks like `content`: fitted into
// 160 x 120 between black bands.
QImage cameraThumbnail(const QImage &content)
{
    QImage thumbnail(160, 120, QImage::Format_RGB32);
    thumbnail.fill(Qt::black);
    const QSize fitted = content.size().scaled(thumbnail.size(), Qt::KeepAspectRatio);
    QPainter painter(&thumbnail);
    painter.drawImage(QRect(QPoint((160 - fitted.width()) / 2, (120 - fitted.height()) / 2),
                            fitted),
                      content);
    return thumbnail;
}

QImage thumbnailContent(const QSize &size)
{
    return quadrantImage(size, thumbnailQuadrants);
}

// A progressive JPEG of `image` whose last scan comes `repeats` more times.
QByteArray progressiveJpeg(const QImage &image, int repeats)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(image))
        return QByteArray();
    const QByteArray jpeg = buffer.data();
    const qsizetype end = jpeg.lastIndexOf("\xff\xd9");
    const qsizetype scan = jpeg.lastIndexOf("\xff\xda");
    return jpeg.left(end) + jpeg.mid(scan, end - scan).repeated(repeats) + jpeg.mid(end);
}

// A CMYK JPEG of `image` as Adobe writes it: inks inverted, with the
// darkest part in the key.
QByteArray cmykJpeg(const QImage &image)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char *bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    QByteArray row(image.width() * 4, '\0');
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int k = qMax(c.red(), qMax(c.green(), c.blue()));
            const int rgb[3] = {c.red(), c.green(), c.blue()};
            for (int i = 0; i < 3; ++i)
                row[4 * x + i] = char(k ? rgb[i] * 255 / k : 0);
            row[4 * x + 3] = char(k);
        }
        JSAMPROW line = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char *>(bytes), int(size));
    std::free(bytes);
    return jpeg;
}

// An ISO media file as Canon's CR3 begins, then `levels` boxes each
// holding the next: 8 bytes a level.
QByteArray nestedCr3(int levels)
{
    const auto be32 = [](quint32 value) {
        const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        return QByteArray(bytes, 4);
    };
    QByteArray file = be32(24) + "ftypcrx " + be32(1) + "crx isom";
    for (int level = 0; level < levels; ++level)
        file += be32(quint32(8 * (levels - level + 1))) + "moov";
    return file + be32(8) + "mdat";
}

} // namespace

class tst_PictureLoader : public QObject
{
    Q_OBJECT

private slots:
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();

    void orientationIsHonoured_data();
    void orientationIsHonoured();

    void previewFitsPortraits_data();
    void previewFitsPortraits();

    void embeddedThumbnailStandsIn_data();
    void embeddedThumbnailStandsIn();

    void peakMemoryStaysInBudget_data();
    void peakMemoryStaysInBudget();

    void decodeIsBounded_data();
    void decodeIsBounded();

    void embeddedJpegsAreBounded_data();
    void embeddedJpegsAreBounded();

    void colourModelsDecode_data();
    void colourModelsDecode();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    // A RAW (scripts/make_raw_like.py) whose one preview is `jpeg`.
    bool writeRaw(const QString &name, const QByteArray &jpeg) const;
    // The hostile files of the memory test, by name; empty when unknown.
    QString writeHostile(const QString &kind) const;

    QTemporaryDir dir;
};

bool tst_PictureLoader::writeRaw(const QString &name, const QByteArray &jpeg) const
{
    const QString preview = path(name + ".jpg");
    return writeFile(preview, jpeg) &&
           QProcess::execute("python3", {TESSEL_SOURCE_DIR "/scripts/make_raw_like.py",
                                         path(name), preview}) == 0;
}

QString tst_PictureLoader::writeHostile(const QString &kind) const
{
    if (kind == "photo") {
        return writePicture(path("photo.jpg"), QSize(640, 480)) ? path("photo.jpg") : QString();
    } else if (kind == "nested CR3") {
        // Followed level by level, 20,000 levels take exiv2 over a gigabyte.
        return writeFile(path("IMG_0001.CR3"), nestedCr3(20000)) ? path("IMG_0001.CR3")
                                                                  : QString();
    } else if (kind == "scan-bomb RAW") {
        return writeRaw("IMG_0002.CR2", progressiveJpeg(quadrantImage(QSize(512, 384)), 2000))
                   ? path("IMG_0002.CR2")
                   : QString();
    }
    return kind;
}

void tst_PictureLoader::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO without writer") << "fifo";
    QTest::newRow("directory") << "directory";
    QTest::newRow("device") << "device";
    QTest::newRow("link to a picture") << "link";
}

void tst_PictureLoader::onlyRegularFilesAreRead()
{
    QFETCH(QString, kind);
    const QString name = kind == "device" ? QString("/dev/zero") : path(kind + ".jpg");
    if (kind == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0600), 0);
    } else if (kind == "directory") {
        QVERIFY(QDir().mkpath(name));
    } else if (kind == "link") {
        QVERIFY(writePicture(path("target.jpg"), QSize(64, 48)));
        QVERIFY(QFile::link(path("target.jpg"), name));
    }

    // A reader waiting for a writer would hang here for good.
    const Folder folder(QFileInfo(name).path());
    const QByteArray entry = QFile::encodeName(QFileInfo(name).fileName());
    QVERIFY(PictureLoader::loadScaled(folder.descriptor(), entry, preview).isNull());
    QVERIFY(PictureLoader::loadPreview(folder.descriptor(), entry, preview).isNull());
    QVERIFY(!PictureLoader::pictureSize(folder.descriptor(), entry).isValid());
}

void tst_PictureLoader::orientationIsHonoured_data()
{
    QTest::addColumn<int>("orientation");
    for (int tag = 0; tag <= 8; ++tag)
        QTest::addRow("tag %d", tag) << tag;
}

void tst_PictureLoader::orientationIsHonoured()
{
    QFETCH(int, orientation);
    const QImage upright = quadrantImage(QSize(480, 320));
    const QImage stored = storedForOrientation(upright, orientation);
    const QString file = path(QString("tag%1.jpg").arg(orientation));
    const QImage thumbnail =
        cameraThumbnail(storedForOrientation(thumbnailContent(upright.size()), orientation));
    QVERIFY(writeCameraPicture(file, stored, orientation, thumbnail));

    QCOMPARE(PictureLoader::pictureSize(file), upright.size());
    const QImage decoded = PictureLoader::loadScaled(file, QSize(120, 80));
    QCOMPARE(decoded.size(), QSize(120, 80));
    QVERIFY(near(quadrantsOf(decoded), plainQuadrants));
    // The preview comes from the thumbnail, which must be turned the same way.
    const QImage shown = PictureLoader::loadPreview(file, preview);
    QCOMPARE(shown.size(), preview);
    QVERIFY(near(quadrantsOf(shown), thumbnailQuadrants));
}

void tst_PictureLoader::previewFitsPortraits_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QRect>("picture"); // where the picture lies in the preview

    const QRect whole(QPoint(0, 0), preview);
    QTest::newRow("landscape fills") << QSize(400, 200) << 1 << whole;
    QTest::newRow("square counts as landscape") << QSize(300, 300) << 0 << whole;
    QTest::newRow("portrait without tag") << QSize(300, 450) << 0 << QRect(25, 0, 50, 75);
    QTest::newRow("landscape stored, turned by its tag")
        << QSize(450, 300) << 6 << QRect(25, 0, 50, 75);
    QTest::newRow("portrait turned to landscape by its tag") << QSize(200, 400) << 8 << whole;
}

void tst_PictureLoader::previewFitsPortraits()
{
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(QRect, picture);
    const QString file = path("fit.jpg");
    QVERIFY(writeCameraPicture(file, quadrantImage(stored), orientation));

    const QImage shown = PictureLoader::loadPreview(file, preview);
    QCOMPARE(shown.size(), preview);
    for (int x : {0, picture.left() - 1, picture.left(), picture.right(), picture.right() + 1,
                  preview.width() - 1}) {
        if (x < 0 || x >= preview.width())
            continue;
        const bool inside = x >= picture.left() && x <= picture.right();
        QCOMPARE(qAlpha(shown.pixel(x, preview.height() / 2)), inside ? 255 : 0);
    }
}

void tst_PictureLoader::embeddedThumbnailStandsIn_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QString>("thumbnail");
    QTest::addColumn<bool>("used");

    QTest::newRow("4:3 photo, 4:3 thumbnail") << QSize(800, 600) << "camera" << true;
    QTest::newRow("3:2 photo, black bands cut off") << QSize(900, 600) << "camera" << true;
    QTest::newRow("no thumbnail") << QSize(800, 600) << "none" << false;
    QTest::newRow("smaller than the preview") << QSize(800, 600) << "tiny" << false;
    QTest::newRow("stale: photo cropped to 3:2 after") << QSize(900, 600) << "full 4:3" << false;
    QTest::newRow("stale: bands of another aspect") << QSize(800, 600) << "banded 16:9" << false;
}

void tst_PictureLoader::embeddedThumbnailStandsIn()
{
    QFETCH(QSize, stored);
    QFETCH(QString, thumbnail);
    QFETCH(bool, used);
    const QImage photo = quadrantImage(stored);
    QImage small;
    if (thumbnail == "camera")
        small = cameraThumbnail(thumbnailContent(stored));
    else if (thumbnail == "tiny")
        small = thumbnailContent(QSize(80, 60));
    else if (thumbnail == "full 4:3")
        small = thumbnailContent(QSize(160, 120));
    else if (thumbnail == "banded 16:9")
        small = cameraThumbnail(thumbnailContent(QSize(1600, 900)));
    const QString file = path("thumbnail.jpg");
    QVERIFY(writeCameraPicture(file, photo, 1, small));

    const QImage shown = PictureLoader::loadPreview(file, preview);
    QCOMPARE(shown.size(), preview);
    QVERIFY(near(quadrantsOf(shown), used ? thumbnailQuadrants : plainQuadrants));
    // Without a thumbnail fit to stand in, the quick way has nothing.
    const Folder folder(dir.path());
    const QImage quick = PictureLoader::quickPreview(folder.descriptor(), "thumbnail.jpg", preview);
    QCOMPARE(quick.isNull(), !used);
    // Not a line of the camera's bands is left at the edges.
    for (int y : {0, preview.height() - 1})
        QVERIFY(QColor(shown.pixel(preview.width() / 4, y)).value() > 100);
}

void tst_PictureLoader::peakMemoryStaysInBudget_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("shown");

    const QString crafted = QFINDTESTDATA("data/progressive-16384.jpg");
    QTest::newRow("progressive 16384 x 16384, preview") << "preview" << crafted << preview << false;
    QTest::newRow("progressive 16384 x 16384, full screen")
        << "scaled" << crafted << QSize(225, 300) << false;
    QTest::newRow("size far beyond any screen") << "preview" << "photo" << QSize(30000, 30000)
                                                << true;
    QTest::newRow("CR3 boxes nested deep") << "preview" << "nested CR3" << preview << false;
    QTest::newRow("RAW, its preview a scan bomb") << "scaled" << "scan-bomb RAW"
                                                  << QSize(225, 300) << false;
    // Its `ispe` says 256 x 192, its grid builds 8192 x 8192.
    QTest::newRow("HEIF grid larger than it says, full screen")
        << "scaled" << QFINDTESTDATA("../fuzz/corpus/pictures/grid-lying.heic")
        << QSize(300, 225) << false;
}

void tst_PictureLoader::peakMemoryStaysInBudget()
{
#ifdef TESSEL_SANITIZE
    QSKIP("the sanitizers' shadow memory makes resident sizes meaningless");
#endif
    QFETCH(QString, mode);
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(bool, shown);
    file = writeHostile(file);
    QVERIFY(QFile::exists(file));

    QProcess probe;
    // The limit must come from the loader, not from this process's decodes.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("JPEGMEM");
    probe.setProcessEnvironment(environment);
    probe.start(QCoreApplication::applicationDirPath() + "/pictureprobe",
                {mode, file, QString::number(size.width()), QString::number(size.height())});
    QVERIFY(probe.waitForFinished(120000));
    QCOMPARE(probe.exitCode(), 0);
    const QList<QByteArray> result = probe.readAllStandardOutput().trimmed().split(' ');
    QCOMPARE(result.size(), 2);
    const long peakKb = result[0].toLong();
    QVERIFY2(peakKb < 256 * 1024, qPrintable(QString("%1 kB above idle").arg(peakKb)));
    QCOMPARE(result[1], QByteArray(shown ? "image" : "null"));
}

void tst_PictureLoader::decodeIsBounded_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<bool>("shown");
    QTest::newRow("progressive picture") << 0 << false << true;
    QTest::newRow("last scan repeated 5000 times") << 5000 << false << false;
    QTest::newRow("work cancelled") << 0 << true << false;
}

void tst_PictureLoader::decodeIsBounded()
{
    QFETCH(int, repeats);
    QFETCH(bool, cancelled);
    QFETCH(bool, shown);
    const QImage image = quadrantImage(QSize(512, 384));
    QVERIFY(writeFile(path("bounded.jpg"), progressiveJpeg(image, repeats)));
    const std::atomic<bool> flag(cancelled);
    const Folder folder(dir.path());

    // Unbounded, the repeated scans take about a second each here.
    const int fd = folder.descriptor();
    QCOMPARE(PictureLoader::loadScaled(fd, "bounded.jpg", preview, QByteArray(), &flag).isNull(),
             !shown);
    QCOMPARE(PictureLoader::loadPreview(fd, "bounded.jpg", preview, &flag).isNull(), !shown);
}

void tst_PictureLoader::embeddedJpegsAreBounded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<bool>("shown"); // else null, or a video's film strip
    QTest::newRow("RAW preview") << "IMG_0001.CR2" << 0 << false << true;
    QTest::newRow("RAW preview, a scan bomb") << "IMG_0001.CR2" << 200 << false << false;
    QTest::newRow("RAW preview, cancelled") << "IMG_0001.CR2" << 0 << true << false;
    QTest::newRow("video's THM") << "MVI_0001.MOV" << 0 << false << true;
    QTest::newRow("video's THM, a scan bomb") << "MVI_0001.MOV" << 200 << false << false;
    QTest::newRow("video's THM, cancelled") << "MVI_0001.MOV" << 0 << true << false;
}

void tst_PictureLoader::embeddedJpegsAreBounded()
{
    QFETCH(QString, name);
    QFETCH(int, repeats);
    QFETCH(bool, cancelled);
    QFETCH(bool, shown);
    const QByteArray jpeg = progressiveJpeg(quadrantImage(QSize(160, 120)), repeats);
    const bool video = name.endsWith(".MOV");
    if (video)
        QVERIFY(writeFile(path("MVI_0001.THM"), jpeg) && touch(path(name), 4096));
    else
        QVERIFY(writeRaw(name, jpeg));
    const std::atomic<bool> flag(cancelled);
    const Folder folder(dir.path());

    const QImage image =
        PictureLoader::loadPreview(folder.descriptor(), QFile::encodeName(name), preview, &flag);
    QCOMPARE(image.isNull(), !shown && !video);
    if (!image.isNull())
        QCOMPARE(near(quadrantsOf(image), plainQuadrants), shown);
}

void tst_PictureLoader::colourModelsDecode_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("grey") << "grey";
    QTest::newRow("CMYK, Adobe inverted") << "cmyk";
}

void tst_PictureLoader::colourModelsDecode()
{
    QFETCH(QString, model);
    const Quadrants greys = {QColor(Qt::black), QColor(Qt::white), QColor(Qt::darkGray),
                             QColor(Qt::lightGray)};
    const Quadrants &colours = model == "grey" ? greys : plainQuadrants;
    const QImage image = quadrantImage(QSize(160, 120), colours);
    const QString file = path(model + ".jpg");
    if (model == "grey")
        QVERIFY(image.convertToFormat(QImage::Format_Grayscale8).save(file, "JPEG"));
    else
        QVERIFY(writeFile(file, cmykJpeg(image)));

    const Folder folder(dir.path());
    const QImage decoded =
        PictureLoader::loadScaled(folder.descriptor(), QFile::encodeName(model + ".jpg"), preview);
    QCOMPARE(decoded.size(), preview);
    QVERIFY(near(quadrantsOf(decoded), colours));
}

QTEST_MAIN(tst_PictureLoader)
#include "tst_pictureloader.moc"
