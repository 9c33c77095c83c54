// Renders the main screen as the device shows it: 240x320, a card with a
// few photos, a destination folder, one picture previewed. With
// TESSEL_SCREENSHOT=<file> set it also saves the picture (the README's).

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "tesselapp.h"
#include "tesselview.h"
#include "fakesystemcalls.h"
#include "testutils.h"

using TestUtils::writeFile;

namespace {

struct Scene
{
    const char *name;
    QColor skyTop;
    QColor skyBottom;
    QColor land;
    QColor sun;
};

// Sky, sun and a line of hills: enough for the eye to tell the photos apart.
bool writeScene(const QString &path, const Scene &scene)
{
    const QSize size(640, 480);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, scene.skyTop);
    sky.setColorAt(1, scene.skyBottom);
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(scene.sun);
    painter.drawEllipse(QPoint(460, 150), 60, 60);

    QPainterPath hills(QPointF(0, 330));
    hills.cubicTo(160, 230, 300, 400, 420, 300);
    hills.cubicTo(520, 220, 600, 300, 640, 280);
    hills.lineTo(640, 480);
    hills.lineTo(0, 480);
    painter.setBrush(scene.land);
    painter.drawPath(hills);
    painter.setBrush(scene.land.darker(140));
    painter.drawRect(0, 420, 640, 60);
    painter.end();
    return image.save(path, "JPEG", 90);
}

} // namespace

class tst_Screenshot : public QObject
{
    Q_OBJECT
private slots:
    void mainScreen();
};

void tst_Screenshot::mainScreen()
{
    // The destination's path heads its pane, so the folder gets a fitting name.
    QTemporaryDir dirs(QDir::tempPath() + "/pictures-XXXXXX");
    QVERIFY(dirs.isValid());
    const QString card = dirs.path() + "/card/dcim";
    const QString album = dirs.path();
    QVERIFY(QDir().mkpath(card));

    const QList<Scene> cardScenes = {
        {"img_0412.jpg", QColor(40, 110, 220), QColor(170, 215, 250), QColor(60, 150, 70), Qt::yellow},
        {"img_0413.jpg", QColor(90, 40, 120), QColor(250, 150, 60), QColor(60, 40, 50), QColor(255, 220, 120)},
        {"img_0414.jpg", QColor(20, 30, 70), QColor(70, 90, 150), QColor(30, 60, 50), QColor(240, 240, 230)},
        {"img_0415.jpg", QColor(120, 180, 230), QColor(240, 240, 250), QColor(230, 230, 240), QColor(255, 250, 200)},
    };
    for (const Scene &scene : cardScenes)
        QVERIFY(writeScene(card + "/" + scene.name, scene));
    const Scene kept = {"harbour.jpg", Qt::darkCyan, Qt::white, Qt::darkBlue, Qt::white};
    QVERIFY(writeScene(album + "/harbour.jpg", kept));
    QVERIFY(writeScene(album + "/garden.jpg", cardScenes.first()));

    const QByteArray root = QFile::encodeName(dirs.path());
    QVERIFY(writeFile(dirs.path() + "/tessel.cfg",
                      "[HEADER]\nFLASHPATH=dcim;\nDEVICE=/dev/sda1;\nMOUNTPOINT=" + root +
                          "/card;\nFILEEXT=jpg;\nRIGHTPATH=" + root + ";\n\n##EOF\n"));
    qputenv("TESSELCFG", root);
    FakeSystemCalls calls;
    calls.availableBlocks = 180000; // some 700 MB left on the card

    auto *app = new TesselApp;
    // The preview's decode lets the window system's pending changes in:
    // the size is set once it is shown.
    QTreeWidget *source = app->browser()->LeftListView;
    QCOMPARE(source->topLevelItemCount(), cardScenes.size());
    source->setCurrentItem(source->topLevelItem(1));
    QTRY_VERIFY(!app->browser()->PixmapLabel->pixmap().isNull());
    app->showNormal();
    app->resize(240, 320);
    QTRY_COMPARE(app->size(), QSize(240, 320));

    const QPixmap shot = app->grab();
    delete app;
    QVERIFY(!shot.isNull());
    QCOMPARE(shot.size(), QSize(240, 320));

    const QString target = qEnvironmentVariable("TESSEL_SCREENSHOT");
    if (!target.isEmpty())
        QVERIFY2(shot.save(target, "PNG"), qPrintable(target));
}

QTEST_MAIN(tst_Screenshot)
#include "tst_screenshot.moc"
