#include <QPainter>
#include <QtEndian>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libheif/heif.h>

#include "camerapicture.h"
#include "fileimage.h"
#include "heifpicture.h"
#include "rawpreview.h"
#include "videopreview.h"
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

const QColor bandColour(Qt::darkGray);

// Adds to the primary picture (item 1) of a file libheif wrote a clean
// aperture that shows `shown` of the picture, centred. What follows the
// property moves, so the pictures' places (4-byte base offsets) do too.
void addAperture(QByteArray *file, const QSize &shown)
{
    const auto boxAt = [file](const char *type) { return file->indexOf(type) - 4; };
    const auto at32 = [file](qsizetype at) { return qFromBigEndian<quint32>(file->constData() + at); };
    const auto add32 = [&](qsizetype at, int by) { qToBigEndian<quint32>(at32(at) + by, file->data() + at); };
    QByteArray clap(40, '\0');
    for (const auto &[at, value] : {std::pair(0, 40), {4, 0x636c6170}, {8, shown.width()}, {12, 1},
                                    {16, shown.height()}, {20, 1}, {28, 1}, {36, 1}})
        qToBigEndian<quint32>(value, clap.data() + at);
    const qsizetype ipco = boxAt("ipco");
    int properties = 0;
    for (qsizetype at = ipco + 8; at < ipco + at32(ipco); at += at32(at))
        ++properties;
    file->insert(ipco + at32(ipco), clap);
    const qsizetype entry = boxAt("ipma") + 16; // past the header and the entry count
    const int associations = uchar(file->at(entry + 2));
    (*file)[entry + 2] = char(associations + 1);
    file->insert(entry + 3 + associations, char(0x80 | (properties + 1)));
    for (const auto &[type, by] : {std::pair("ipco", 40), {"ipma", 1}, {"iprp", 41}, {"meta", 41}})
        add32(boxAt(type), by);
    const qsizetype iloc = boxAt("iloc");
    qsizetype at = iloc + 16;
    for (int i = 0; i < qFromBigEndian<quint16>(file->constData() + iloc + 14); ++i) {
        add32(at + 4, 41);
        at += 10 + 8 * qFromBigEndian<quint16>(file->constData() + at + 8);
    }
}

// libheif writes the picture stored turned as `orientation` (1 to 8) says,
// with a thumbnail within `thumbnailSide` unless that is 0. As cameras do,
// a band is coded around it: `margin` on each side, left out by a clean
// aperture, and `padding` right and below, left out by the declared size.
bool writeHeif(const QString &path, const QImage &upright, int orientation, int thumbnailSide,
               const QSize &margin = QSize(0, 0), const QSize &padding = QSize(0, 0))
{
    const QImage stored = storedForOrientation(upright, orientation);
    QImage rgb(stored.size() + 2 * margin + padding, QImage::Format_RGB888);
    rgb.fill(bandColour);
    QPainter(&rgb).drawImage(margin.width(), margin.height(), stored);
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
    QByteArray file = readFile(path);
    // Each declared size less the padding, scaled as its picture; libheif
    // writes them turned.
    for (qsizetype at = file.indexOf("ispe"); at > 0; at = file.indexOf("ispe", at + 1)) {
        char *size = file.data() + at + 8;
        const bool turned = orientation >= 5;
        const int width = qFromBigEndian<quint32>(size + (turned ? 4 : 0));
        const double scale = double(width) / rgb.width();
        const QSize declared(width - qRound(padding.width() * scale),
                             qFromBigEndian<quint32>(size + (turned ? 0 : 4)) -
                                 qRound(padding.height() * scale));
        qToBigEndian<quint32>(declared.width(), size + (turned ? 4 : 0));
        qToBigEndian<quint32>(declared.height(), size + (turned ? 0 : 4));
    }
    if (!margin.isNull())
        addAperture(&file, stored.size());
    written = written && writeFile(path, file);
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
    void heifSeeds_data();
    void heifSeeds();
    void videoPreview_data();
    void videoPreview();
    void brokenFilesGiveNull_data();
    void brokenFilesGiveNull();

private:
    // A RAW-like file holding three previews: 160 x 120 with the photo
    // between black bands (filled by a 4:3 picture when `stale`), 480 x 320
    // and 1620 x 1080, each stored turned as the RAW's tag says. Each
    // preview's own EXIF says to turn it half round, which must be ignored.
    // With `strips` the previews lie in strips of reduced-resolution IFDs,
    // as a DNG holds them.
    QString writeRaw(int orientation, bool stale, bool strips = false);

    QTemporaryDir dir;
};

void tst_Formats::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY2(heif_have_encoder_for_format(heif_compression_HEVC),
             "libheif has no HEVC encoder: install libx265 (scripts/install-deps.sh)");
}

QString tst_Formats::writeRaw(int orientation, bool stale, bool strips)
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
    const QString raw =
        dir.filePath(QString("IMG_%1%2.%3").arg(orientation).arg(stale).arg(strips ? "DNG" : "CR2"));
    QStringList options{"--orientation", QString::number(orientation)};
    if (strips)
        options << "--strips";
    const int status = QProcess::execute(
        "python3", QStringList{TESSEL_SOURCE_DIR "/scripts/make_raw_like.py", raw} + options + jpegs);
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
    QTest::addColumn<bool>("strips");
    QTest::newRow("smallest covering, bands cut off") << 1 << false << QSize(150, 90) << false << 0 << QSize(160, 104) << false;
    QTest::newRow("stale smallest skipped") << 1 << true << QSize(150, 90) << false << 1 << QSize(240, 160) << false;
    QTest::newRow("smallest too small") << 1 << false << QSize(200, 130) << false << 1 << QSize(240, 160) << false;
    QTest::newRow("none covers: the largest") << 1 << false << QSize(2000, 1400) << false << 2 << photoSize << false;
    QTest::newRow("largest, decoded at a quarter") << 1 << false << QSize(300, 200) << true << 2 << QSize(405, 270) << false;
    QTest::newRow("turned by the RAW's tag") << 6 << false << QSize(200, 300) << false << 1 << QSize(320, 480) << false;
    QTest::newRow("largest, turned back") << 8 << false << QSize(240, 320) << true << 2 << QSize(270, 405) << false;
    QTest::newRow("mirrored across the diagonal") << 5 << false << QSize(90, 150) << false << 0 << QSize(104, 160) << false;
    QTest::newRow("DNG strips, smallest covering") << 1 << false << QSize(150, 90) << false << 0 << QSize(160, 104) << true;
    QTest::newRow("DNG strips, turned, largest") << 8 << false << QSize(240, 320) << true << 2 << QSize(270, 405) << true;
}

void tst_Formats::rawPreview()
{
    QFETCH(int, orientation);
    QFETCH(bool, stale);
    QFETCH(QSize, atLeast);
    QFETCH(bool, largest);
    QFETCH(int, chosen);
    QFETCH(QSize, expected);
    QFETCH(bool, strips);
    const QString raw = writeRaw(orientation, stale, strips);
    QVERIFY(!raw.isEmpty());
    const OpenFile file(raw);
    checkPicture(RawPreview::load(file.fd, atLeast, largest), expected, previewColours[chosen]);
}

void tst_Formats::heifPicture_data()
{
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("thumbnailSide");
    QTest::addColumn<QSize>("margin");
    QTest::addColumn<QSize>("padding");
    QTest::addColumn<QSize>("atLeast");
    QTest::addColumn<QSize>("expected");
    const QSize big(4160, 4096); // beyond the cap on whole decodes
    const QSize none(0, 0);
    QTest::newRow("thumbnail large enough") << QSize(640, 480) << 1 << 160 << none << none << QSize(100, 75) << QSize(160, 120);
    QTest::newRow("thumbnail too small: primary") << QSize(640, 480) << 1 << 160 << none << none << QSize(200, 150) << QSize(640, 480);
    QTest::newRow("no thumbnail: primary") << QSize(640, 480) << 1 << 0 << none << none << QSize(100, 75) << QSize(640, 480);
    QTest::newRow("turned as the file says") << QSize(480, 640) << 6 << 160 << none << none << QSize(90, 120) << QSize(120, 160);
    QTest::newRow("mirrored") << QSize(640, 480) << 2 << 0 << none << none << QSize(100, 75) << QSize(640, 480);
    QTest::newRow("mirrored and turned") << QSize(240, 320) << 7 << 0 << none << none << QSize(100, 75) << QSize(240, 320);
    QTest::newRow("beyond the cap, a small thumbnail serves") << big << 1 << 256 << none << none << QSize(400, 300) << QSize(256, 252);
    QTest::newRow("beyond the cap, no thumbnail") << big << 1 << 0 << none << none << QSize(100, 75) << QSize();
    QTest::newRow("padded: cut to the declared size") << QSize(320, 212) << 1 << 0 << none << QSize(0, 44) << QSize(100, 75) << QSize(320, 212);
    QTest::newRow("padded thumbnail covers: cut too") << QSize(320, 212) << 1 << 160 << none << QSize(0, 44) << QSize(150, 100) << QSize(160, 106);
    QTest::newRow("padded, turned") << QSize(212, 320) << 6 << 0 << none << QSize(8, 44) << QSize(100, 75) << QSize(212, 320);
    QTest::newRow("coded beyond the cap, declared small: refused") << QSize(64, 48) << 1 << 0 << none << big - QSize(64, 48) << QSize(10, 10) << QSize();
    QTest::newRow("clean aperture") << QSize(320, 214) << 1 << 0 << QSize(8, 53) << none << QSize(100, 75) << QSize(320, 214);
}

void tst_Formats::heifPicture()
{
    QFETCH(QSize, upright);
    QFETCH(int, orientation);
    QFETCH(int, thumbnailSide);
    QFETCH(QSize, margin);
    QFETCH(QSize, padding);
    QFETCH(QSize, atLeast);
    QFETCH(QSize, expected);
    const QString path = dir.filePath("IMG_0001.HIF");
    QVERIFY(writeHeif(path, quadrantImage(upright), orientation, thumbnailSide, margin, padding));
    const OpenFile file(path);
    const QImage image = HeifPicture::load(file.fd, atLeast);
    checkPicture(image, expected, plainQuadrants);
    // No line of the band is left at an edge.
    for (const QPoint corner : {QPoint(1, 1), QPoint(image.width() - 2, image.height() - 2)})
        QVERIFY(image.isNull() || !near(image.pixelColor(corner), bandColour));
    // The size comes from the header, the primary picture's whatever is shown.
    QCOMPARE(HeifPicture::uprightSize(file.fd), expected.isEmpty() ? QSize() : upright);
}

// The fuzz seeds, built box by box: each hostile one refused before libheif
// sees it (the clean aperture over zero and the grid of itself end libheif
// by a signal).
void tst_Formats::heifSeeds_data()
{
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("aperture, turn, mirror") << "single.heic" << QSize(40, 60) << QSize(40, 60);
    QTest::newRow("grid") << "grid.heic" << QSize(128, 128) << QSize(128, 128);
    QTest::newRow("huge primary: its thumbnail") << "huge-primary.heic" << QSize(30000, 30000) << QSize(64, 64);
    QTest::newRow("grid larger than its ispe") << "grid-lying.heic" << QSize() << QSize(0, 0);
    QTest::newRow("grid of 4096 tiles") << "grid-many-tiles.heic" << QSize() << QSize(0, 0);
    QTest::newRow("grid of itself") << "grid-of-itself.heic" << QSize() << QSize(0, 0);
    QTest::newRow("aperture over zero") << "clap-zero.heic" << QSize() << QSize(0, 0);
}

void tst_Formats::heifSeeds()
{
    QFETCH(QString, seed);
    QFETCH(QSize, size);
    QFETCH(QSize, expected);
    const OpenFile file(TESSEL_SOURCE_DIR "/fuzz/corpus/pictures/" + seed);
    QCOMPARE(HeifPicture::uprightSize(file.fd), size);
    QCOMPARE(HeifPicture::load(file.fd, QSize(100, 100)).size(), expected);
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
    QTest::newRow("RAW cut short while it is read") << "cut while read" << 400;
}

namespace {

QByteArray fileToCut;

// The card's file shrinks between the open and the first read.
ssize_t readAfterCut(int fd, void *buffer, size_t count, off_t offset)
{
    if (!fileToCut.isEmpty() && truncate(fileToCut.constData(), 400) == 0)
        fileToCut.clear();
    return pread(fd, buffer, count, offset);
}

} // namespace

void tst_Formats::brokenFilesGiveNull()
{
    QFETCH(QString, kind);
    QFETCH(int, keptBytes);
    QString path = dir.filePath("broken");
    if (kind == "heif")
        QVERIFY(writeHeif(path, quadrantImage(QSize(640, 480)), 1, 160));
    else if (kind == "raw" || kind == "cut while read")
        QVERIFY(!(path = writeRaw(1, false)).isEmpty());
    else
        QVERIFY(writeFile(path, QByteArray("II*\0\x08\0\0\0", 8) + QByteArray(keptBytes, '\x5a')));
    const OpenFile file(path);
    if (kind == "cut while read") {
        fileToCut = QFile::encodeName(path);
        FileImage::setReadAt(&readAfterCut);
    } else {
        QVERIFY(truncate(QFile::encodeName(path), keptBytes) == 0);
    }
    const bool shown = kind == "heif" ? !HeifPicture::load(file.fd, QSize(10, 10)).isNull()
                                      : !RawPreview::load(file.fd, QSize(10, 10), true).isNull();
    FileImage::setReadAt(nullptr);
    QVERIFY(fileToCut.isEmpty());
    QVERIFY(!shown);
}

QTEST_MAIN(tst_Formats)
#include "tst_formats.moc"
