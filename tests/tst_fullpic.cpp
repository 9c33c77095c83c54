#include <QColor>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <fcntl.h>

#include "tesseldata.h"
#include "fullpic.h"
#include "fullpicdlg.h"
#include "folderentry.h"
#include "loadqueue.h"
#include "camerapicture.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;

namespace {

// A picture in four coloured quadrants, so any turn or mirror shows.
bool writeQuadrantPicture(const QString &path, const QSize &size, const char *format = "JPEG")
{
    return TestUtils::quadrantImage(size).save(path, format, 95);
}

// Where the toolkit's own rotation sends each quadrant: the same turn on a
// 2 x 2 picture of the quadrant colours.
QImage expectedQuadrants(int degrees)
{
    return TestUtils::quadrantImage(QSize(2, 2)).transformed(QTransform().rotate(degrees));
}

QImage shownImage(const FullPic &view)
{
    return view.PixmapLabel->pixmap().toImage();
}

} // namespace

class tst_FullPic : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formDefaults();
    void captionAndMaximisedFromConstructor();

    void turnsAndStretches_data();
    void turnsAndStretches();
    void oddAngleFillsTheWholeSize();
    void portraitIsNotTurned_data();
    void portraitIsNotTurned();

    void unshowablePictureEmptiesTheLabel_data();
    void unshowablePictureEmptiesTheLabel();

    void queueShowsOnlyTheNewestPicture();

    void dialogEnds_data();
    void dialogEnds();
    void stepsByKeyAndSwipe_data();
    void stepsByKeyAndSwipe();

private:
    QString picturePath(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    TesselData *data = nullptr;
};

void tst_FullPic::initTestCase()
{
    QVERIFY(dir.isValid());
    qputenv("TESSELCFG", dir.path().toLocal8Bit());
}

void tst_FullPic::init()
{
    QVERIFY(dir.isValid());
    data = new TesselData;
    QVERIFY(writeQuadrantPicture(picturePath("landscape.jpg"), QSize(640, 480)));
}

void tst_FullPic::cleanup()
{
    delete data;
    data = nullptr;
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_FullPic::formDefaults()
{
    FullPicDlg unnamed;
    QCOMPARE(unnamed.objectName(), QString("FullPicDlg"));
    QCOMPARE(unnamed.windowTitle(), QString("FullScreen"));
    QVERIFY(!unnamed.isModal());

    FullPicDlg form(nullptr, "viewer", true);
    QCOMPARE(form.objectName(), QString("viewer"));
    QVERIFY(form.isModal());
    QLabel *label = form.PixmapLabel;
    QCOMPARE(label->objectName(), QString("PixmapLabel"));
    QCOMPARE(label->pixmap().size(), QSize(100, 75));
    QCOMPARE(label->frameShape(), QFrame::StyledPanel);
    QCOMPARE(label->frameShadow(), QFrame::Sunken);
    QCOMPARE(label->lineWidth(), 2);
    QCOMPARE(label->midLineWidth(), 1);
    QCOMPARE(label->margin(), 2);
    QVERIFY(!label->hasScaledContents());
    QCOMPARE(label->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

void tst_FullPic::captionAndMaximisedFromConstructor()
{
    FullPic view(nullptr, "FullPicture", true, data);
    QVERIFY(view.isVisible());
    QVERIFY(view.windowState() & Qt::WindowMaximized);
    view.hide();
    QCOMPARE(view.windowTitle(), QString("FullPicture"));
    QCOMPARE(view.objectName(), QString("FullPicture"));

    FullPic unnamed(nullptr, nullptr, true, data);
    unnamed.hide();
    QCOMPARE(unnamed.windowTitle(), QString("FullScreen"));
}

void tst_FullPic::turnsAndStretches_data()
{
    QTest::addColumn<int>("rotation");
    QTest::addColumn<int>("expectedTurn");
    QTest::addColumn<QSize>("fullScreen");

    QTest::newRow("no turn, only stretched") << 0 << 0 << QSize(225, 300);
    QTest::newRow("quarter turn") << 90 << 90 << QSize(225, 300);
    QTest::newRow("default three quarters") << 270 << 270 << QSize(225, 300);
    QTest::newRow("half turn") << 180 << 180 << QSize(300, 200);
    QTest::newRow("negative quarter is three quarters") << -90 << 270 << QSize(225, 300);
    QTest::newRow("more than a full turn") << 450 << 90 << QSize(120, 160);
    QTest::newRow("landscape target") << 90 << 90 << QSize(320, 240);
}

void tst_FullPic::turnsAndStretches()
{
    QFETCH(int, rotation);
    QFETCH(int, expectedTurn);
    QFETCH(QSize, fullScreen);

    data->fullScreenRotation = rotation;
    data->fullScreenWidth = fullScreen.width();
    data->fullScreenHeight = fullScreen.height();
    FullPic view(nullptr, "FullPicture", true, data);
    view.hide();
    view.loadPicture(picturePath("landscape.jpg"));

    const QImage shown = shownImage(view);
    QCOMPARE(shown.size(), fullScreen);
    const QImage expected = expectedQuadrants(expectedTurn);
    QCOMPARE(expected.size(), QSize(2, 2));
    QVERIFY(TestUtils::near(TestUtils::quadrantsOf(shown), TestUtils::quadrantsOf(expected)));
}

void tst_FullPic::portraitIsNotTurned_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation");

    QTest::newRow("portrait without tag") << QSize(300, 450) << 0;
    QTest::newRow("landscape stored, tagged to stand upright") << QSize(450, 300) << 6;
    QTest::newRow("stored upside down") << QSize(300, 450) << 3;
}

void tst_FullPic::portraitIsNotTurned()
{
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    const QImage upright = TestUtils::quadrantImage(QSize(300, 450));
    QCOMPARE(TestUtils::storedForOrientation(upright, orientation).size(), stored);
    QVERIFY(TestUtils::writeCameraPicture(
        picturePath("portrait.jpg"), TestUtils::storedForOrientation(upright, orientation),
        orientation));

    FullPic view(nullptr, "FullPicture", true, data);
    view.hide();
    view.loadPicture(picturePath("portrait.jpg"));
    const QImage shown = shownImage(view);
    QCOMPARE(shown.size(), QSize(225, 300));
    QVERIFY(TestUtils::near(TestUtils::quadrantsOf(shown), TestUtils::plainQuadrants));
}

void tst_FullPic::oddAngleFillsTheWholeSize()
{
    data->fullScreenRotation = 45;
    FullPic view(nullptr, "FullPicture", true, data);
    view.hide();
    view.loadPicture(picturePath("landscape.jpg"));
    const QImage shown = shownImage(view);
    QCOMPARE(shown.size(), QSize(225, 300));
    // The bounding box is stretched as a whole: its corners lie outside
    // the turned picture, its centre inside.
    QCOMPARE(qAlpha(shown.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(shown.pixel(112, 150)), 255);
}

void tst_FullPic::unshowablePictureEmptiesTheLabel_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("fullScreen");

    QTest::newRow("missing file") << "missing.jpg" << QSize(225, 300);
    QTest::newRow("PNG is not read as JPEG") << "picture.png" << QSize(225, 300);
    QTest::newRow("PNG named .jpg") << "disguised.jpg" << QSize(225, 300);
    QTest::newRow("corrupt JPEG") << "corrupt.jpg" << QSize(225, 300);
    QTest::newRow("zero width") << "landscape.jpg" << QSize(0, 300);
    QTest::newRow("zero height") << "landscape.jpg" << QSize(225, 0);
    QTest::newRow("negative sizes") << "landscape.jpg" << QSize(-225, -300);
    QTest::newRow("huge width, negative height") << "landscape.jpg" << QSize(1 << 30, -1);
}

void tst_FullPic::unshowablePictureEmptiesTheLabel()
{
    QFETCH(QString, file);
    QFETCH(QSize, fullScreen);

    QVERIFY(writeQuadrantPicture(picturePath("picture.png"), QSize(64, 48), "PNG"));
    QVERIFY(writeQuadrantPicture(picturePath("disguised.jpg"), QSize(64, 48), "PNG"));
    QVERIFY(TestUtils::writeCorruptPicture(picturePath("corrupt.jpg")));
    QVERIFY(TestUtils::writePicture(picturePath("previous.jpg"), QSize(300, 200)));

    for (int rotation : {270, 0, 30}) {
        data->fullScreenRotation = rotation;
        data->fullScreenWidth = 225;
        data->fullScreenHeight = 300;
        FullPic view(nullptr, "FullPicture", true, data);
        view.hide();
        view.loadPicture(picturePath("previous.jpg"));
        QVERIFY(!view.PixmapLabel->pixmap().isNull());

        data->fullScreenWidth = fullScreen.width();
        data->fullScreenHeight = fullScreen.height();
        view.loadPicture(picturePath(file));
        QVERIFY2(view.PixmapLabel->pixmap().isNull(), qPrintable(QString::number(rotation)));

        // The dialog still opens and closes as usual.
        ModalAnswerer answerer;
        answerer.answerModal([](QWidget *w) { w->close(); });
        QCOMPARE(view.exec(), 0);
        QCOMPARE(answerer.pending(), 0);
    }
}

void tst_FullPic::queueShowsOnlyTheNewestPicture()
{
    QVERIFY(TestUtils::writePicture(picturePath("first.jpg"), QSize(4000, 3000)));
    const auto folder = std::make_shared<const Folder>(AT_FDCWD, dir.path().toLocal8Bit(), 0);
    LoadQueue queue;
    QSignalSpy loaded(&queue, &LoadQueue::loaded);
    data->fullScreenRotation = 90;
    FullPic view(nullptr, "FullPicture", true, data);
    view.hide();

    // A step while the first picture still decodes, and a preview of
    // another asked meanwhile: only the step's picture is shown.
    view.loadPicture(queue, FolderEntry(folder, "first.jpg"));
    QVERIFY(view.PixmapLabel->pixmap().isNull());
    const quint64 other = queue.request(FolderEntry(folder, "first.jpg"), QSize(8, 6),
                                        LoadQueue::Preview);
    view.loadPicture(queue, FolderEntry(folder, "landscape.jpg"));
    QTRY_COMPARE(loaded.size(), 2);
    QCOMPARE(loaded.at(0).at(0).value<quint64>() == other ||
                 loaded.at(1).at(0).value<quint64>() == other,
             true);
    const QImage shown = shownImage(view);
    QCOMPARE(shown.size(), QSize(225, 300));
    QVERIFY(TestUtils::near(TestUtils::quadrantsOf(shown),
                            TestUtils::quadrantsOf(expectedQuadrants(90))));

    // A closed view is answered no more.
    view.loadPicture(queue, FolderEntry(folder, "first.jpg"));
    view.reject();
    queue.stopAndWait();
    QCoreApplication::processEvents();
    QCOMPARE(loaded.size(), 2);
    QVERIFY(view.PixmapLabel->pixmap().isNull());
}

void tst_FullPic::dialogEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");

    QTest::newRow("window closed") << "close" << 0;
    QTest::newRow("escape key") << "escape" << 0;
    QTest::newRow("space key") << "space" << 0;
    QTest::newRow("tap on the picture") << "tap" << 0;
    QTest::newRow("cancel slot") << "slotCancel" << 0;
    QTest::newRow("ok slot") << "slotOk" << 1;
}

void tst_FullPic::dialogEnds()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    FullPic view(nullptr, "FullPicture", true, data);
    view.hide();
    view.loadPicture(picturePath("landscape.jpg"));

    ModalAnswerer answerer;
    answerer.answerModal([how](QWidget *w) {
        if (how == "close")
            w->close();
        else if (how == "escape")
            QTest::keyClick(w, Qt::Key_Escape);
        else if (how == "space")
            QTest::keyClick(w, Qt::Key_Space);
        else if (how == "tap")
            QTest::mouseClick(static_cast<FullPic *>(w)->PixmapLabel, Qt::LeftButton);
        else
            QMetaObject::invokeMethod(w, how.toLatin1().constData());
    });
    QCOMPARE(view.exec(), result);
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QVERIFY(!view.isVisible());
    // The picture stays for the next opening.
    QCOMPARE(view.PixmapLabel->pixmap().size(), QSize(225, 300));
}

void tst_FullPic::stepsByKeyAndSwipe_data()
{
    QTest::addColumn<int>("key");
    // Where the finger goes, as offsets to the right of where it pressed,
    // on a view 240 px wide; the last one is where it lifts.
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<bool>("closed");

    const QList<int> none;
    QTest::newRow("Left key: previous") << int(Qt::Key_Left) << none << QList<int>{-1} << false;
    QTest::newRow("Right key: next") << int(Qt::Key_Right) << none << QList<int>{1} << false;
    QTest::newRow("swipe left a third: next") << 0 << QList<int>{-30, -80} << QList<int>{1} << false;
    QTest::newRow("swipe right a third: previous") << 0 << QList<int>{30, 80} << QList<int>{-1} << false;
    QTest::newRow("short of a third: nothing") << 0 << QList<int>{-40, -79} << none << false;
    QTest::newRow("out and back: no tap") << 0 << QList<int>{60, 0} << none << false;
    QTest::newRow("slid 9 px: a tap") << 0 << QList<int>{5, 9} << none << true;
    QTest::newRow("release of a press elsewhere: nothing") << 0 << none << none << false;
}

void tst_FullPic::stepsByKeyAndSwipe()
{
    QFETCH(int, key);
    QFETCH(QList<int>, path);
    QFETCH(QList<int>, steps);
    QFETCH(bool, closed);

    FullPic view(nullptr, "FullPicture", true, data);
    view.showNormal();
    view.resize(240, 320);
    QSignalSpy requests(&view, &FullPic::stepRequested);
    if (key) {
        QTest::keyClick(&view, Qt::Key(key));
    } else {
        const QPoint start(120, 160);
        if (!path.isEmpty())
            QTest::mousePress(view.PixmapLabel, Qt::LeftButton, {}, view.PixmapLabel->mapFrom(&view, start));
        for (int dx : path)
            QTest::mouseMove(view.PixmapLabel, view.PixmapLabel->mapFrom(&view, start + QPoint(dx, 0)));
        QTest::mouseRelease(view.PixmapLabel, Qt::LeftButton, {},
                            view.PixmapLabel->mapFrom(&view, start + QPoint(path.value(path.size() - 1), 0)));
    }
    QList<int> asked;
    for (const QList<QVariant> &request : requests)
        asked << request.at(0).toInt();
    QCOMPARE(asked, steps);
    QCOMPARE(view.isVisible(), !closed);
    view.hide();
}

QTEST_MAIN(tst_FullPic)
#include "tst_fullpic.moc"
