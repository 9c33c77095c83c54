#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "browserfixture.h"
#include "fullpic.h"
#include "testutils.h"

using TestUtils::StdoutCapture;
using TestUtils::names;
using TestUtils::touch;
using TestUtils::writeHugePicture;

namespace {

const QString loadFailed = "\ntesselview::loadSmallPic(%1) - load didnt work";

} // namespace

class tst_TesselView : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void construction();
    void thumbNames();
    void sourceListingShowsMatchingFilesOnly();
    void listingKeepsSizeInSecondColumn();
    void unreadableDirectoryEmptiesPane_data();
    void unreadableDirectoryEmptiesPane();
    void emptyDirectoryEmptiesPane();
    void destinationListsItsPictures_data();
    void destinationListsItsPictures();
    void selectionInOnePaneClearsTheOther();
    void previewFromThumbnailUnscaled();
    void previewFromPictureAtPreviewSize();
    void failedPreviewClearsOldPicture_data();
    void failedPreviewClearsOldPicture();
    void smallPicturePointerValidUntilNextCall();
    void fullScreenStepsThroughThePane_data();
    void fullScreenStepsThroughThePane();
};

void tst_TesselView::initTestCase()
{
    qputenv("TESSELCFG", noSettingsFile);
}

void tst_TesselView::init()
{
    setUpBrowserFixture();
}

void tst_TesselView::cleanup()
{
    tearDownBrowserFixture();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_TesselView::construction()
{
    QWidget other;
    auto view = makeBrowser();

    QCOMPARE(view->objectName(), QString("MainDlg"));
    QCOMPARE(view->activeSide, 0);
    QVERIFY(view->currentPicture.isEmpty());
    for (QWidget *w : QApplication::allWidgets()) {
        // The dialogs are built afterwards, with fonts of their own.
        if (w->window() != view.get() && w != &other)
            continue;
        QCOMPARE(w->font().family(), QString("helvetica"));
        QCOMPARE(w->font().pointSize(), 8);
        QVERIFY(!w->font().bold());
    }
    QCOMPARE(view->MountPushButton->palette().color(QPalette::Button), QColor(80, 255, 80));
    QCOMPARE(view->MountPushButton->backgroundRole(), QPalette::Base);
    // No card: nothing of the source is offered.
    for (QWidget *w : QList<QWidget *>{view->LeftDeleteToolButton, view->LeftChdirToolButton,
                                       view->LeftCopyToolButton, view->LeftThumbnailButton,
                                       view->ShowFullToolButton, view->RightDeleteToolButton})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    for (QWidget *w : QList<QWidget *>{view->MountPushButton, view->SetupToolButton,
                                       view->RightThumbnailButton,
                                       view->RightChdirToolButton, view->RightMkdirToolButton})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
}

void tst_TesselView::thumbNames()
{
    auto view = makeBrowser();
    QCOMPARE(view->thumbDir("/mnt/card/dcim"), QString("/mnt/card/dcim/_thumbnail"));
    QCOMPARE(view->thumbName("/mnt/card/dcim", "img_0001.jpg"),
             QString("/mnt/card/dcim/_thumbnail/img_0001.jpg.png"));
}

void tst_TesselView::sourceListingShowsMatchingFilesOnly()
{
    QVERIFY(touch(left() + "/b.jpg", 10));
    QVERIFY(touch(left() + "/a.jpg", 20));
    QVERIFY(touch(left() + "/b.jpg.txt"));
    QVERIFY(touch(left() + "/.hidden.jpg"));
    QVERIFY(touch(left() + "/c.png"));
    QVERIFY(QDir().mkpath(left() + "/c.jpg"));
    QVERIFY(QFile::link(left() + "/c.jpg", left() + "/d.jpg"));
    QVERIFY(QFile::link(left() + "/a.jpg", left() + "/e.jpg"));
    auto view = makeBrowser();

    // A link is never listed, not even one to a picture: commands would
    // act on a file elsewhere.
    QVERIFY(view->listLeft());
    QCOMPARE(names(view->LeftListView), QStringList({"a.jpg", "b.jpg"}));
}

void tst_TesselView::listingKeepsSizeInSecondColumn()
{
    QVERIFY(touch(left() + "/a.jpg", 1234));
    QVERIFY(touch(right() + "/b.jpg", 4321));
    auto view = makeBrowser();

    QCOMPARE(view->LeftListView->topLevelItem(0)->text(1), QString("1234"));

    // Sizes past 2 GiB are shown whole, not wrapped to negative numbers.
    QFile big(left() + "/big.jpg");
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(qint64(3) << 30));
    big.close();
    QVERIFY(view->listLeft());
    QCOMPARE(view->LeftListView->topLevelItem(1)->text(0), QString("big.jpg"));
    QCOMPARE(view->LeftListView->topLevelItem(1)->text(1), QString("3221225472"));
    QCOMPARE(view->RightListView->topLevelItem(0)->text(0), QString("b.jpg"));
    QCOMPARE(view->RightListView->topLevelItem(0)->text(1), QString("4321"));
    QCOMPARE(view->RightListView->columnCount(), 1);
    QCOMPARE(view->RightListView->headerItem()->text(0), right());
}

void tst_TesselView::unreadableDirectoryEmptiesPane_data()
{
    QTest::addColumn<bool>("removeIt");
    QTest::newRow("missing") << true;
    QTest::newRow("no permission") << false;
}

void tst_TesselView::unreadableDirectoryEmptiesPane()
{
    QFETCH(bool, removeIt);
    QVERIFY(touch(left() + "/a.jpg"));
    QVERIFY(touch(right() + "/b.jpg"));
    auto view = makeBrowser();
    QCOMPARE(names(view->LeftListView), QStringList({"a.jpg"}));
    QCOMPARE(names(view->RightListView), QStringList({"b.jpg"}));

    if (removeIt) {
        QVERIFY(QDir(left()).removeRecursively());
        QVERIFY(QDir(right()).removeRecursively());
    } else {
        QVERIFY(QFile::setPermissions(left(), QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(right(), QFile::WriteOwner | QFile::ExeOwner));
    }
    {
        TestUtils::PermissionChecksOn permissions;
        QVERIFY(!view->listLeft());
        QVERIFY(!view->listRight());
    }
    QFile::setPermissions(left(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(right(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Names a delete would act on in a folder that does not show them.
    QCOMPARE(names(view->LeftListView), QStringList());
    QCOMPARE(names(view->RightListView), QStringList());
}

void tst_TesselView::emptyDirectoryEmptiesPane()
{
    QVERIFY(touch(left() + "/a.jpg"));
    QVERIFY(touch(right() + "/b.jpg"));
    auto view = makeBrowser();
    QFile::remove(left() + "/a.jpg");
    QFile::remove(right() + "/b.jpg");

    data->rightPath = dirs->path();
    QVERIFY(!view->listLeft());
    QVERIFY(!view->listRight());
    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
    QCOMPARE(view->RightListView->topLevelItemCount(), 0);
    QCOMPARE(view->RightListView->headerItem()->text(0), dirs->path());
}

void tst_TesselView::destinationListsItsPictures_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("after source listing") << "listLeft" << QStringList({"b.jpg"});
    QTest::newRow("after clearing the source") << "clearLeft" << QStringList({"b.jpg"});
    QTest::newRow("after clearing the destination") << "clearRight" << QStringList({"b.jpg"});
}

void tst_TesselView::destinationListsItsPictures()
{
    QFETCH(QString, before);
    QFETCH(QStringList, listed);
    QVERIFY(touch(right() + "/b.jpg"));
    QVERIFY(touch(right() + "/c.png"));
    auto view = makeBrowser();

    if (before == "listLeft")
        view->listLeft();
    else if (before == "clearLeft")
        view->clearLeft();
    else
        view->clearRight();
    QCOMPARE(view->listRight(), !listed.isEmpty());
    QCOMPARE(names(view->RightListView), listed);
    QCOMPARE(view->RightListView->headerItem()->text(0), right());
}

void tst_TesselView::selectionInOnePaneClearsTheOther()
{
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(80, 60)));
    QVERIFY(TestUtils::writePicture(right() + "/b.jpg", QSize(80, 60)));
    auto view = makeBrowser();
    QTreeWidgetItem *a = view->LeftListView->topLevelItem(0);
    QTreeWidgetItem *b = view->RightListView->topLevelItem(0);

    view->LeftListView->setCurrentItem(a);

    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->activeSide, 1);
    QCOMPARE(view->currentPicture, left() + "/a.jpg");
    QVERIFY(!view->RightDeleteToolButton->isEnabled());
    QVERIFY(view->LeftCopyToolButton->isEnabled());

    view->RightListView->setCurrentItem(b);

    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->activeSide, 2);
    QCOMPARE(view->currentPicture, right() + "/b.jpg");
    QVERIFY(!a->isSelected());
    QVERIFY(view->RightDeleteToolButton->isEnabled());
    // The loaded preview enables the copy button again.
    QVERIFY(view->LeftCopyToolButton->isEnabled());

    a->setSelected(true);
    QCOMPARE(view->activeSide, 1);
    QVERIFY(!b->isSelected());
    QVERIFY(!view->RightDeleteToolButton->isEnabled());
}

void tst_TesselView::previewFromThumbnailUnscaled()
{
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(640, 480)));
    QVERIFY(QDir().mkpath(left() + "/_thumbnail"));
    QVERIFY(TestUtils::writePicture(left() + "/_thumbnail/a.jpg.png", QSize(40, 30), "PNG"));
    auto view = makeBrowser();

    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));

    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->PixmapLabel->pixmap().size(), QSize(40, 30));
    QCOMPARE(view->currentPicture, left() + "/a.jpg");
    for (QWidget *w : QList<QWidget *>{view->LeftDeleteToolButton, view->LeftChdirToolButton,
                                       view->LeftCopyToolButton, view->ShowFullToolButton})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
}

void tst_TesselView::previewFromPictureAtPreviewSize()
{
    QVERIFY(TestUtils::writePicture(right() + "/a.jpg", QSize(640, 480)));
    QVERIFY(TestUtils::writePicture(right() + "/b.png", QSize(33, 77), "PNG"));
    data->fileExt = "*";
    data->previewWidth = 120;
    data->previewHeight = 50;
    auto view = makeBrowser();
    view->listLeft();
    view->listRight();

    for (int i = 0; i < view->RightListView->topLevelItemCount(); ++i) {
        view->RightListView->setCurrentItem(view->RightListView->topLevelItem(i));
        QTRY_VERIFY(previewSettled(view.get()));
        QCOMPARE(view->PixmapLabel->pixmap().size(), QSize(120, 50));
    }
    QCOMPARE(view->currentPicture, right() + "/b.png");
}

void tst_TesselView::failedPreviewClearsOldPicture_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("vanished") << "vanished";
    QTest::newRow("corrupt") << "corrupt";
    QTest::newRow("huge") << "huge";
    QTest::newRow("zero preview width") << "zero width";
    QTest::newRow("negative preview height") << "negative height";
}

void tst_TesselView::failedPreviewClearsOldPicture()
{
    QFETCH(QString, damage);
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(TestUtils::writePicture(left() + "/b.jpg", QSize(64, 48)));
    auto view = makeBrowser();
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    QCOMPARE(view->currentPicture, left() + "/a.jpg");
    QVERIFY(!view->PixmapLabel->pixmap().isNull());

    const QString b = left() + "/b.jpg";
    if (damage == "vanished")
        QVERIFY(QFile::remove(b));
    else if (damage == "corrupt")
        QVERIFY(TestUtils::writeCorruptPicture(b));
    else if (damage == "huge")
        QVERIFY(writeHugePicture(b));
    else if (damage == "zero width")
        data->previewWidth = 0;
    else
        data->previewHeight = -75;

    QString printed;
    {
        StdoutCapture out;
        view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(1));
        QTRY_VERIFY(previewSettled(view.get()));
        printed = out.text();
    }
    // The image reader may log its own complaint (through the test log) too.
    QVERIFY2(printed.endsWith(loadFailed.arg(b)), qPrintable(printed));
    QVERIFY(view->currentPicture.isEmpty());
    QVERIFY(view->PixmapLabel->pixmap().isNull());
    for (QWidget *w : QList<QWidget *>{view->LeftDeleteToolButton, view->LeftChdirToolButton,
                                       view->LeftCopyToolButton, view->ShowFullToolButton})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
}

void tst_TesselView::smallPicturePointerValidUntilNextCall()
{
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(300, 200)));
    QVERIFY(QDir().mkpath(left() + "/_thumbnail"));
    QVERIFY(TestUtils::writePicture(left() + "/_thumbnail/a.jpg.png", QSize(20, 10), "PNG"));
    auto view = makeBrowser();

    QPixmap *thumb = view->loadSmallPic(left(), "a.jpg", true);
    QVERIFY(thumb);
    QCOMPARE(thumb->size(), QSize(20, 10));
    QPixmap *scaled = view->loadSmallPic(left(), "a.jpg", false);
    QVERIFY(scaled);
    QCOMPARE(scaled->size(), QSize(100, 75));
    QVERIFY(!view->loadSmallPic(left(), "missing.jpg", true));
}

void tst_TesselView::fullScreenStepsThroughThePane_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("Right key: next") << 0 << "Right" << 1;
    QTest::newRow("Right key at the end: nothing") << 2 << "Right" << 2;
    QTest::newRow("Left key: previous") << 1 << "Left" << 0;
    QTest::newRow("Left key at the start: nothing") << 0 << "Left" << 0;
    QTest::newRow("swipe to the left: next") << 1 << "swipe" << 2;
}

void tst_TesselView::fullScreenStepsThroughThePane()
{
    QFETCH(int, first);
    QFETCH(QString, gesture);
    QFETCH(int, selectedAfter);
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(TestUtils::writePicture(left() + "/" + name, QSize(80, 60)));
    auto view = makeBrowser();
    QTreeWidget *list = view->LeftListView;
    list->setCurrentItem(list->topLevelItem(first));
    QTRY_VERIFY(previewSettled(view.get()));

    auto *full = view->findChild<FullPic *>();
    QTimer::singleShot(0, full, [full, gesture] {
        if (gesture == "swipe") {
            QWidget *label = full->PixmapLabel;
            const int y = label->height() / 2;
            QTest::mousePress(label, Qt::LeftButton, {}, QPoint(label->width() * 5 / 6, y));
            QTest::mouseMove(label, QPoint(label->width() / 6, y));
            QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() / 6, y));
        } else {
            QTest::keyClick(full, gesture == "Left" ? Qt::Key_Left : Qt::Key_Right);
        }
        QTest::keyClick(full, Qt::Key_Escape);
    });
    QTest::mouseClick(view->ShowFullToolButton, Qt::LeftButton);

    QVERIFY(!full->isVisible());
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>({list->topLevelItem(selectedAfter)}));
}

QTEST_MAIN(tst_TesselView)
#include "tst_tesselview.moc"
