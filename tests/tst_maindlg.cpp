#include <QApplication>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "maindlg.h"
#include "testutils.h"

namespace {

// Records which slot a form connection reached: proves the connections go
// through the virtual slots to a subclass.
class RecordingDlg : public MainDlg
{
public:
    QStringList reached;
    QList<QTreeWidgetItem *> items;

    void slotToggleMount() override { reached << "slotToggleMount"; }
    void slotSetup() override { reached << "slotSetup"; }
    void slotLeftSelectionChanged(QTreeWidgetItem *item) override
    {
        reached << "slotLeftSelectionChanged";
        items << item;
    }
    void slotRightSelectionChanged(QTreeWidgetItem *item) override
    {
        reached << "slotRightSelectionChanged";
        items << item;
    }
};

template <typename T>
T *child(QWidget *form, const QString &name)
{
    return form->findChild<T *>(name);
}

} // namespace

class tst_MainDlg : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void objectName_data();
    void objectName();
    void formProperties();
    void helpTexts_data();
    void helpTexts();
    void buttonLooks_data();
    void buttonLooks();
    void layoutOrder();
    void listColumns();
    void stubWarnings_data();
    void stubWarnings();
    void selectionStubs();
    void connectionsReachOverrides();
    void selectionReachesSlotWithItem();
    void applicationFontChangeKeepsUnitLabelLarge_data();
    void applicationFontChangeKeepsUnitLabelLarge();
};

void tst_MainDlg::cleanup()
{
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_MainDlg::objectName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null name") << QByteArray() << "MainDlg";
    QTest::newRow("given name") << QByteArray("browserForm") << "browserForm";
}

void tst_MainDlg::objectName()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, expected);
    MainDlg form(nullptr, name.isNull() ? nullptr : name.constData());
    QCOMPARE(form.objectName(), expected);
}

void tst_MainDlg::formProperties()
{
    MainDlg form;
    QCOMPARE(form.windowTitle(), QString("Vandro"));
    QCOMPARE(form.size(), QSize(260, 313));
    QCOMPARE(form.minimumSize(), QSize(200, 180));
    QCOMPARE(form.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(form.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);

    QCOMPARE(form.PixmapLabel->minimumSize(), QSize(108, 83));
    QCOMPARE(form.PixmapLabel->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(form.PixmapLabel->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    QVERIFY(form.PixmapLabel->hasScaledContents());
    QCOMPARE(form.PixmapLabel->alignment(), Qt::AlignCenter);
    QCOMPARE(form.PixmapLabel->frameShape(), QFrame::StyledPanel);
    QCOMPARE(form.PixmapLabel->frameShadow(), QFrame::Sunken);
    QCOMPARE(form.PixmapLabel->lineWidth(), 2);
    QCOMPARE(form.PixmapLabel->margin(), 2);
    QCOMPARE(form.PixmapLabel->pixmap().size(), QSize(100, 75));

    QCOMPARE(form.AvailMemLCDNumber->digitCount(), 8);
    QCOMPARE(form.AvailMemLCDNumber->mode(), QLCDNumber::Dec);
    QCOMPARE(form.AvailMemLCDNumber->segmentStyle(), QLCDNumber::Outline);
    QCOMPARE(form.AvailMemLCDNumber->frameShape(), QFrame::StyledPanel);
    QVERIFY(!form.AvailMemLCDNumber->smallDecimalPoint());

    QCOMPARE(form.MTextLabel->text(), QString("K"));
    QCOMPARE(form.MTextLabel->font().pointSize(), 13);
    QVERIFY(form.MTextLabel->font().bold());
}

void tst_MainDlg::helpTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("whatsThis");

    QTest::newRow("MountPushButton")
        << "MountPushButton" << "mount / umounts flashdisk"
        << "Press this button, to mount or\numount the disk. If color is green,\nthe disk is "
           "mounted, if red\nthe disk is not.";
    QTest::newRow("AvailMemLCDNumber")
        << "AvailMemLCDNumber" << "shows the free disk space"
        << "This Number shows the free\ndisk space for the destination\ndir.";
    QTest::newRow("MTextLabel") << "MTextLabel" << QString() << QString();
    QTest::newRow("SetupToolButton")
        << "SetupToolButton" << "Opens to the config dialog" << "Opens the config dialog.";
    QTest::newRow("ShowFullToolButton")
        << "ShowFullToolButton" << "pixmap inf fullscreen mode"
        << QString::fromUtf8("Shows the selected pixmap in\nfullscreenmode (270 \xc2\xb0 rotated)");
    QTest::newRow("PixmapLabel") << "PixmapLabel" << "preview pixmap"
                                 << "Shows a preview preview \nof the selected pixmap";
    QTest::newRow("LeftDeleteToolButton")
        << "LeftDeleteToolButton" << "delete all source dirs images"
        << "This button deletes all source dirs\nimages (to get more space on the disk).\nYou "
           "have to confirm the action twice.";
    QTest::newRow("LeftChdirToolButton")
        << "LeftChdirToolButton" << "Change source dir"
        << "This Button opens a filedialog, \nto change the source dir.";
    QTest::newRow("LeftThumbnailButton")
        << "LeftThumbnailButton" << "create thumbnails for actual dir"
        << "This button creates the thumbnails for\nthe left dir.";
    QTest::newRow("LeftCopyToolButton")
        << "LeftCopyToolButton" << "Copy the selected source to dest."
        << "This button copies the selected source\nimage to the destination dir.";
    QTest::newRow("LeftListView") << "LeftListView" << "source image list"
                                  << "This listview shows the source\ndirs image files.";
    QTest::newRow("RightDeleteToolButton")
        << "RightDeleteToolButton" << "Delete selected image"
        << "This button deletes the selected \nimage. You have to configrm the \naction.";
    QTest::newRow("RightThumbnailButton")
        << "RightThumbnailButton" << "create Thumbnails"
        << "This button creates the thumbnails for\nthe right dir.";
    QTest::newRow("RightChdirToolButton")
        << "RightChdirToolButton" << "Change destination dir"
        << "This Button opens a filedialog,\nto change the actual dir.";
    QTest::newRow("RightMkdirToolButton")
        << "RightMkdirToolButton" << "Creates a directory"
        << "This toolbuttoncreates a directory\nin the destination dir. A filedialog\nleads you "
           "to the dir.";
    QTest::newRow("RightListView")
        << "RightListView" << "destination image list"
        << "This listview shows the actual \ndestination dirs image files.";
}

void tst_MainDlg::helpTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    QFETCH(QString, whatsThis);
    MainDlg form;
    QWidget *widget = child<QWidget>(&form, name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->whatsThis(), whatsThis);
}

void tst_MainDlg::buttonLooks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("iconSize");

    QTest::newRow("mount") << "MountPushButton" << "mount device" << QSize();
    QTest::newRow("setup") << "SetupToolButton" << "Setup" << QSize();
    QTest::newRow("full") << "ShowFullToolButton" << "Full" << QSize();
    QTest::newRow("delete all") << "LeftDeleteToolButton" << "" << QSize(15, 10);
    QTest::newRow("left folder") << "LeftChdirToolButton" << "" << QSize(15, 13);
    QTest::newRow("left thumbnail") << "LeftThumbnailButton" << "" << QSize(15, 12);
    QTest::newRow("copy") << "LeftCopyToolButton" << "" << QSize(15, 10);
    QTest::newRow("delete") << "RightDeleteToolButton" << "" << QSize(15, 10);
    QTest::newRow("right thumbnail") << "RightThumbnailButton" << "" << QSize(15, 12);
    QTest::newRow("right folder") << "RightChdirToolButton" << "" << QSize(15, 13);
    QTest::newRow("new folder") << "RightMkdirToolButton" << "" << QSize(17, 15);
}

void tst_MainDlg::buttonLooks()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QSize, iconSize);
    MainDlg form;
    auto *button = child<QAbstractButton>(&form, name);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    if (iconSize.isValid()) {
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->icon().availableSizes().value(0), iconSize);
    } else {
        QVERIFY(button->icon().isNull());
    }
}

void tst_MainDlg::layoutOrder()
{
    MainDlg form;
    form.resize(480, 400);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    auto leftOf = [](QWidget *a, QWidget *b) { return a->geometry().right() < b->geometry().left(); };
    auto above = [](QWidget *a, QWidget *b) { return a->geometry().bottom() < b->geometry().top(); };

    QVERIFY(above(form.MountPushButton, form.AvailMemLCDNumber));
    QVERIFY(leftOf(form.AvailMemLCDNumber, form.MTextLabel));
    QVERIFY(above(form.AvailMemLCDNumber, form.SetupToolButton));
    QVERIFY(leftOf(form.SetupToolButton, form.ShowFullToolButton));
    QVERIFY(leftOf(form.MountPushButton, form.PixmapLabel));
    QVERIFY(above(form.PixmapLabel, form.LeftListView));
    const QList<QWidget *> leftRow = {form.LeftDeleteToolButton, form.LeftChdirToolButton,
                                      form.LeftThumbnailButton, form.LeftCopyToolButton};
    const QList<QWidget *> rightRow = {form.RightDeleteToolButton, form.RightThumbnailButton,
                                       form.RightChdirToolButton, form.RightMkdirToolButton};
    for (int i = 1; i < 4; ++i) {
        QVERIFY(leftOf(leftRow[i - 1], leftRow[i]));
        QVERIFY(leftOf(rightRow[i - 1], rightRow[i]));
    }
    QVERIFY(above(form.LeftCopyToolButton, form.LeftListView));
    QVERIFY(above(form.RightMkdirToolButton, form.RightListView));
    QVERIFY(leftOf(form.LeftListView, form.RightListView));
    QVERIFY(leftOf(form.LeftCopyToolButton, form.RightDeleteToolButton));
    form.close();
}

void tst_MainDlg::listColumns()
{
    MainDlg form;
    QCOMPARE(form.LeftListView->columnCount(), 3);
    QCOMPARE(form.LeftListView->headerItem()->text(0), QString("fromfile"));
    QCOMPARE(form.LeftListView->headerItem()->text(1), QString("size"));
    QCOMPARE(form.LeftListView->headerItem()->text(2), QString("folder"));
    QCOMPARE(form.RightListView->columnCount(), 1);
    QCOMPARE(form.RightListView->headerItem()->text(0), QString("tofile"));
    QVERIFY(!form.LeftListView->rootIsDecorated());

    // The size text must survive in the destination's unshown column.
    auto *item = new QTreeWidgetItem(form.RightListView, {"b.jpg", "1234"});
    QCOMPARE(item->text(1), QString("1234"));
    QCOMPARE(form.RightListView->columnCount(), 1);

    // Items appear sorted by name whatever order they are added in.
    new QTreeWidgetItem(form.LeftListView, {"c.jpg", "1"});
    new QTreeWidgetItem(form.LeftListView, {"a.jpg", "2"});
    QCOMPARE(form.LeftListView->topLevelItem(0)->text(0), QString("a.jpg"));
}

void tst_MainDlg::stubWarnings_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::newRow("mount") << "MountPushButton" << "MainDlg::slotToggleMount(): Not implemented yet!";
    QTest::newRow("full") << "ShowFullToolButton" << "MainDlg::slotShowFullPic(): Not implemented yet!";
    QTest::newRow("setup") << "SetupToolButton" << "MainDlg::slotSetup(): Not implemented yet!";
    QTest::newRow("delete all")
        << "LeftDeleteToolButton" << "MainDlg::slotDeleteLeft(): Not implemented yet!";
    QTest::newRow("copy") << "LeftCopyToolButton" << "MainDlg::slotCopyToRight(): Not implemented yet!";
    QTest::newRow("mkdir") << "RightMkdirToolButton" << "MainDlg::slotMkdirRight(): Not implemented yet!";
    QTest::newRow("chdir left")
        << "LeftChdirToolButton" << "MainDlg::slotChdirLeft(): Not implemented yet!";
    QTest::newRow("chdir right")
        << "RightChdirToolButton" << "MainDlg::slotChdirRight(): Not implemented yet!";
    QTest::newRow("delete right")
        << "RightDeleteToolButton" << "MainDlg::slotDeleteRight(): Not implemented yet!";
    QTest::newRow("thumbnails right")
        << "RightThumbnailButton" << "MainDlg::slotRightPrepThumbnails(): Not implemented yet!";
    QTest::newRow("thumbnails left")
        << "LeftThumbnailButton" << "MainDlg::slotLeftPrepThumbnails(): Not implemented yet!";
}

void tst_MainDlg::stubWarnings()
{
    QFETCH(QString, button);
    QFETCH(QString, message);
    MainDlg form;
    QTest::ignoreMessage(QtWarningMsg, message.toLatin1().constData());
    child<QAbstractButton>(&form, button)->click();
}

void tst_MainDlg::selectionStubs()
{
    MainDlg form;
    auto *left = new QTreeWidgetItem(form.LeftListView, {"a.jpg", "1"});
    auto *right = new QTreeWidgetItem(form.RightListView, {"b.jpg", "2"});
    QTest::ignoreMessage(QtWarningMsg,
                         "MainDlg::slotLeftSelectionChanged( QListViewItem * ): Not implemented yet!");
    form.LeftListView->setCurrentItem(left);
    QTest::ignoreMessage(QtWarningMsg,
                         "MainDlg::slotRightSelectionChanged( QListViewItem *): Not implemented yet!");
    form.RightListView->setCurrentItem(right);
}

void tst_MainDlg::connectionsReachOverrides()
{
    RecordingDlg form;
    form.MountPushButton->click();
    form.SetupToolButton->click();
    QCOMPARE(form.reached, QStringList({"slotToggleMount", "slotSetup"}));
}

void tst_MainDlg::selectionReachesSlotWithItem()
{
    RecordingDlg form;
    auto *a = new QTreeWidgetItem(form.LeftListView, {"a.jpg", "1"});
    auto *b = new QTreeWidgetItem(form.LeftListView, {"b.jpg", "1"});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    form.LeftListView->setCurrentItem(b);
    const QRect rect = form.LeftListView->visualItemRect(a);
    QTest::mouseClick(form.LeftListView->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(form.items, QList<QTreeWidgetItem *>({b, a}));

    // Losing the selection is no new selection.
    a->setSelected(false);
    form.LeftListView->clear();
    QCOMPARE(form.reached.size(), 2);

    // An item deselected while current is reported again when picked again.
    auto *c = new QTreeWidgetItem(form.RightListView, {"c.jpg", "1"});
    form.RightListView->setCurrentItem(c);
    c->setSelected(false);
    c->setSelected(true);
    QCOMPARE(form.reached, QStringList({"slotLeftSelectionChanged", "slotLeftSelectionChanged",
                                        "slotRightSelectionChanged", "slotRightSelectionChanged"}));
    form.close();
}

void tst_MainDlg::applicationFontChangeKeepsUnitLabelLarge_data()
{
    QTest::addColumn<bool>("embedded");
    QTest::newRow("form as window") << false;
    QTest::newRow("form inside a window") << true;
}

void tst_MainDlg::applicationFontChangeKeepsUnitLabelLarge()
{
    QFETCH(bool, embedded);
    const QFont original = QApplication::font();
    QWidget window;
    MainDlg *form = new MainDlg(embedded ? &window : nullptr);
    QWidget *shown = embedded ? &window : form;
    form->MTextLabel->setFont(QFont("helvetica", 8));
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));

    QFont changed = original;
    changed.setPointSize(original.pointSize() + 3);
    QApplication::setFont(changed);
    QTRY_COMPARE(form->SetupToolButton->font().pointSize(), changed.pointSize());
    QTRY_COMPARE(form->MTextLabel->font().pointSize(), 13);
    QVERIFY(form->MTextLabel->font().bold());
    QVERIFY(!form->SetupToolButton->font().bold());

    QApplication::setFont(original);
    if (!embedded)
        delete form;
}

QTEST_MAIN(tst_MainDlg)
#include "tst_maindlg.moc"
