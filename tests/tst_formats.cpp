#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libheif/heif.h>

#include "camerapicture.h"
#include "imaging/heifpicture.h"
#include "imaging/rawpreview.h"
#include "imaging/videopreview.h"
#include "testutils.h"

using namespace TestUtils;

#ifdef TESSEL_SANITIZE
// The HEVC encoder the test writes its HEIF files with keeps some buffers
// for good; they are none of ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}
#endif

namespace {

// Each preview of a RAW in colours of its own, so a test sees which one came.
const Quadrants previewColours[] = {plainQuadrants, otherQuadrants,
                                    {QColor(Qt::white), QColor(Qt::blue), QColor(Qt::green),
                                     QColor(Qt::red)}};
const QSize photoSize(1620, 1080);
const QSize previewSizes[] = {QSize(160, 120), QSize(480, 320), photoSize};

struct OpenFile
{
    explicit OpenFile(const QString &path, int flags = O_RDONLY)
        : fd(open(QFile::encodeName(path).constData(), flags | O_CLOEXEC)) {}
    ~OpenFile() { close(fd); }
    const int fd;
};

// libheif writes the picture stored turned as `orientation` (1 to 8) says,
// with a thumbnail within `thumbnailSide` unless that is 0.
bool writeHeif(const QString &path, const QImage &upright, int orientation, int thumbnailSide)
{
    const QImage rgb =
        storedForOrientation(upright, orientation).convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    heif_image_handle *handle = nullptr;
    heif_encoding_options *options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(orientation);
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoder_set_parameter(encoder, "preset", "ultrafast");
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                      &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width() * 3));
    bool written = heif_context_encode_image(context, image, encoder, options, &handle).code == 0;
    if (written && thumbnailSide > 0)
        written = heif_context_encode_thumbnail(context, image, handle, encoder, options,
                                                thumbnailSide, nullptr).code == 0;
    written = written && heif_context_write_to_file(context, QFile::encodeName(path)).code == 0;
    heif_image_handle_release(handle);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_encoding_options_free(options);
    heif_context_free(context);
    return written;
}

void checkPicture(const QImage &image, const QSize &expected, const Quadrants &colours)
{
    QCOMPARE(image.isNull(), expected.isEmpty());
    if (image.isNull())
        return;
    // Cutting off bands takes a pixel or two either way.
    QVERIFY(qAbs(image.width() - expected.width()) <= 2);
    QVERIFY(qAbs(image.height() - expected.height()) <= 2);
    QVERIFY(near(quadrantsOf(image), colours));
}

} // namespace

class tst_Formats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rawPreview_data();
    void rawPreview();
    void heifPicture_data();
    void heifPicture();
    void videoPreview_data();
    void videoPreview();
    void brokenFilesGiveNull_data();
    void brokenFilesGiveNull();

private:
    // A RAW-like file holding three previews: 160 x 120 with the photo
    // between black bands (filled by a 4:3 picture when `stale`), 480 x 320
    // and 1620 x 1080, each stored turned as the RAW's tag says. Each
    // preview's own EXIF says to turn it half round, which must be ignored.
    QString writeRaw(int orientation, bool stale);

    QTemporaryDir dir;
};

void tst_Formats::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY2(heif_have_encoder_for_format(heif_compression_HEVC),
             "libheif has no HEVC encoder: install libx265 (scripts/install-deps.sh)");
}

QString tst_Formats::writeRaw(int orientation, bool stale)
{
    const auto upright = [orientation](const QSize &size) {
        return orientation >= 5 ? size.transposed() : size;
    };
    QStringList jpegs;
    for (int i = 0; i < 3; ++i) {
        QImage preview = quadrantImage(upright(previewSizes[i]), previewColours[i]);
        if (i == 0 && !stale) {
            const QImage photo = quadrantImage(
                upright(photoSize).scaled(preview.size(), Qt::KeepAspectRatio), previewColours[0]);
            preview.fill(Qt::black);
            QPainter(&preview).drawImage((preview.width() - photo.width()) / 2,
                                         (preview.height() - photo.height()) / 2, photo);
        }
        jpegs << dir.filePath(QString("preview%1.jpg").arg(i));
        if (!writeCameraPicture(jpegs.last(), storedForOrientation(preview, orientation), 3))
            return QString();
    }
    const QString raw = dir.filePath(QString("IMG_%1%2.CR2").arg(orientation).arg(stale));
    const int status = QProcess::execute(
        "python3", QStringList{TESSEL_SOURCE_DIR "/scripts/make_raw_like.py", raw, "--orientation",
                               QString::number(orientation)} + jpegs);
    return status == 0 ? raw : QString();
}

void tst_Formats::rawPreview_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<QSize>("atLeast");
    QTest::addColumn<bool>("largest");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("smallest covering, bands cut off") << 1 << false << QSize(150, 90) << false << 0 << QSize(160, 104);
    QTest::newRow("stale smallest skipped") << 1 << true << QSize(150, 90) << false << 1 << QSize(240, 160);
    QTest::newRow("smallest too small") << 1 << false << QSize(200, 130) << false << 1 << QSize(240, 160);
    QTest::newRow("none covers: the largest") << 1 << false << QSize(2000, 1400) << false << 2 << photoSize;
    QTest::newRow("largest, decoded at a quarter") << 1 << false << QSize(300, 200) << true << 2 << QSize(405, 270);
    QTest::newRow("turned by the RAW's tag") << 6 << false << QSize(200, 300) << false << 1 << QSize(320, 480);
    QTest::newRow("largest, turned back") << 8 << false << QSize(240, 320) << true << 2 << QSize(270, 405);
    QTest::newRow("mirrored across the diagonal") << 5 << false << QSize(90, 150) << false << 0 << QSize(104, 160);
}

void tst_Formats::rawPreview()
{
    QFETCH(int, orientation);
    QFETCH(bool, stale);
    QFETCH(QSize, atLeast);
    QFETCH(bool, largest);
    QFETCH(int, chosen);
    QFETCH(QSize, expected);
    const QString raw = writeRaw(orientation, stale);
    QVERIFY(!raw.isEmpty());
    const OpenFile file(raw);
    checkPicture(RawPreview::load(file.fd, atLeast, largest), expected, previewColours[chosen]);
}

void tst_Formats::heifPicture_data()
{
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("thumbnailSide");
    QTest::addColumn<QSize>("atLeast");
    QTest::addColumn<QSize>("expected");
    const QSize big(4160, 4096); // beyond the cap on whole decodes
    QTest::newRow("thumbnail large enough") << QSize(640, 480) << 1 << 160 << QSize(100, 75) << QSize(160, 120);
    QTest::newRow("thumbnail too small: primary") << QSize(640, 480) << 1 << 160 << QSize(200, 150) << QSize(640, 480);
    QTest::newRow("no thumbnail: primary") << QSize(640, 480) << 1 << 0 << QSize(100, 75) << QSize(640, 480);
    QTest::newRow("turned as the file says") << QSize(480, 640) << 6 << 160 << QSize(90, 120) << QSize(120, 160);
    QTest::newRow("beyond the cap, a small thumbnail serves") << big << 1 << 256 << QSize(400, 300) << QSize(256, 252);
    QTest::newRow("beyond the cap, no thumbnail") << big << 1 << 0 << QSize(100, 75) << QSize();
}

void tst_Formats::heifPicture()
{
    QFETCH(QSize, upright);
    QFETCH(int, orientation);
    QFETCH(int, thumbnailSide);
    QFETCH(QSize, atLeast);
    QFETCH(QSize, expected);
    const QString path = dir.filePath("IMG_0001.HIF");
    QVERIFY(writeHeif(path, quadrantImage(upright), orientation, thumbnailSide));
    const OpenFile file(path);
    checkPicture(HeifPicture::load(file.fd, atLeast), expected, plainQuadrants);
}

void tst_Formats::videoPreview_data()
{
    QTest::addColumn<QString>("thm");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("fromThm");
    QTest::newRow("THM beside") << "MVI_0001.THM" << "jpeg" << true;
    QTest::newRow("THM in lower case") << "MVI_0001.thm" << "jpeg" << true;
    QTest::newRow("no THM: film strip") << "" << "" << false;
    QTest::newRow("THM of another video") << "MVI_0002.THM" << "jpeg" << false;
    QTest::newRow("corrupt THM: film strip") << "MVI_0001.THM" << "corrupt" << false;
    QTest::newRow("THM a link: film strip") << "MVI_0001.THM" << "link" << false;
    QTest::newRow("THM a FIFO: film strip") << "MVI_0001.THM" << "fifo" << false;
}

void tst_Formats::videoPreview()
{
    QFETCH(QString, thm);
    QFETCH(QString, kind);
    QFETCH(bool, fromThm);
    QTemporaryDir folder;
    const QString thmPath = folder.filePath(thm);
    const QString shot = folder.filePath("shot.jpg");
    QVERIFY(thm.isEmpty() || quadrantImage(QSize(160, 120)).save(kind == "link" ? shot : thmPath, "JPEG"));
    QVERIFY(kind != "corrupt" || writeCorruptPicture(thmPath));
    QVERIFY(kind != "link" || QFile::link(shot, thmPath));
    QVERIFY(kind != "fifo" || (QFile::remove(thmPath) && mkfifo(QFile::encodeName(thmPath), 0600) == 0));
    QVERIFY(touch(folder.filePath("MVI_0001.MOV"), 4096));
    const OpenFile folderFd(folder.path(), O_RDONLY | O_DIRECTORY);
    const QImage image = VideoPreview::load(folderFd.fd, "MVI_0001.MOV", QSize(200, 150));
    if (fromThm) {
        checkPicture(image, QSize(160, 120), plainQuadrants);
        return;
    }
    QCOMPARE(image.size(), QSize(200, 150));
    QCOMPARE(QColor(image.pixel(100, 75)).lightness() > 200, true); // the play triangle
}

void tst_Formats::brokenFilesGiveNull_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("keptBytes");
    QTest::newRow("RAW cut short") << "raw" << 400;
    QTest::newRow("RAW of noise") << "noise" << 100000;
    QTest::newRow("empty RAW") << "raw" << 0;
    QTest::newRow("HEIF cut short") << "heif" << 600;
}

void tst_Formats::brokenFilesGiveNull()
{
    QFETCH(QString, kind);
    QFETCH(int, keptBytes);
    QString path = dir.filePath("broken");
    if (kind == "heif")
        QVERIFY(writeHeif(path, quadrantImage(QSize(640, 480)), 1, 160));
    else if (kind == "raw")
        QVERIFY(!(path = writeRaw(1, false)).isEmpty());
    else
        QVERIFY(writeFile(path, QByteArray("II*\0\x08\0\0\0", 8) + QByteArray(keptBytes, '\x5a')));
    QVERIFY(truncate(QFile::encodeName(path), keptBytes) == 0);
    const OpenFile file(path);
    QVERIFY(kind == "heif" ? HeifPicture::load(file.fd, QSize(10, 10)).isNull()
                           : RawPreview::load(file.fd, QSize(10, 10), true).isNull());
}

QTEST_MAIN(tst_Formats)
#include "tst_formats.moc"
