#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>

#include "browser/copyjob.h"
#include "browserfixture.h"
#include "progress/progressedit.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::names;
using TestUtils::readFile;
using TestUtils::writeFile;

// Copying several source pictures at once with the copy button.
class tst_CopyMany : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TESSELCFG", noSettingsFile); }
    void init();
    void cleanup();

    void copiesTheSelectionInListOrder();
    void existingFilesAskedOnce_data();
    void existingFilesAskedOnce();
    void failureStopsTheJob();
    void escapeStopsAfterTheCurrentFile();
    void escapeStopsABigFileAndLeavesNothing();
    void vanishedDestinationStopsTheJob();

private:
    // Selects the named pictures as Ctrl-clicks do and clicks copy.
    void copy(Browser *view, const QStringList &pictures);
    std::unique_ptr<Browser> view;
};

void tst_CopyMany::init()
{
    setUpBrowserFixture();
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(writeFile(left() + "/" + name, QByteArray("picture ") + name));
    view = makeBrowser();
}

void tst_CopyMany::cleanup()
{
    view.reset();
    tearDownBrowserFixture();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_CopyMany::copy(Browser *browser, const QStringList &pictures)
{
    QTreeWidget *list = browser->LeftListView;
    list->clearSelection();
    for (const QString &name : pictures) {
        QTreeWidgetItem *item = list->findItems(name, Qt::MatchExactly).value(0);
        QVERIFY(item);
        list->setCurrentItem(item, 0, QItemSelectionModel::Toggle);
    }
    QVERIFY(browser->LeftCopyToolButton->isEnabled());
    browser->LeftCopyToolButton->click();
}

void tst_CopyMany::copiesTheSelectionInListOrder()
{
    QVERIFY(writeFile(right() + "/d.jpg", "there before"));
    view->listRight();
    // A selection in the destination gives up the whole source selection.
    QTest::keyClick(view->LeftListView, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->LeftListView->selectedItems().size(), 3);
    view->RightListView->setCurrentItem(view->RightListView->topLevelItem(0));
    QCOMPARE(view->LeftListView->selectedItems().size(), 0);

    QStringList order;
    connect(view->findChild<CopyJob *>(), &CopyJob::progressed, this,
            [&](const QString &name) { order << name; });
    copy(view.get(), {"c.jpg", "a.jpg"});
    QVERIFY(view->progress->isVisible());
    QVERIFY(!view->LeftListView->isEnabled() && !view->RightListView->isEnabled());
    QVERIFY(!view->LeftThumbnailButton->isEnabled());
    QTRY_VERIFY(!view->progress->isVisible());

    QCOMPARE(order, (QStringList{"a.jpg", "c.jpg"}));
    QCOMPARE(view->progress->ProgressBar->value(), 2);
    QCOMPARE(names(view->RightListView), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
    QCOMPARE(readFile(right() + "/c.jpg"), QByteArray("picture c.jpg"));
    QVERIFY(view->LeftListView->isEnabled() && view->RightListView->isEnabled());
    QVERIFY(view->LeftThumbnailButton->isEnabled());
}

void tst_CopyMany::existingFilesAskedOnce_data()
{
    QTest::addColumn<int>("key"); // pressed in the question
    QTest::addColumn<bool>("replaced");
    QTest::newRow("Y overwrites") << int(Qt::Key_Y) << true;
    QTest::newRow("Return alone skips") << int(Qt::Key_Return) << false;
    QTest::newRow("Escape skips") << int(Qt::Key_Escape) << false;
}

void tst_CopyMany::existingFilesAskedOnce()
{
    QFETCH(int, key);
    QFETCH(bool, replaced);
    QVERIFY(writeFile(right() + "/a.jpg", "old a"));
    QVERIFY(writeFile(right() + "/b.jpg", "old b"));
    QString question;
    int buttons = 0;
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        question = box ? box->text() : QString();
        buttons = box ? box->buttons().size() : 0;
        QTest::keyClick(w, Qt::Key(key));
    });
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(!view->progress->isVisible());

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(question, QString("2 of the 3 files exist!\noverwrite ?"));
    QCOMPARE(buttons, 2);
    QCOMPARE(readFile(right() + "/a.jpg"), replaced ? "picture a.jpg" : QByteArray("old a"));
    QCOMPARE(readFile(right() + "/c.jpg"), QByteArray("picture c.jpg"));
}

void tst_CopyMany::failureStopsTheJob()
{
    QVERIFY(QFile::setPermissions(left() + "/b.jpg", QFileDevice::Permissions()));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    {
        TestUtils::PermissionChecksOn permissions;
        copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
        QTRY_VERIFY(!view->progress->isVisible());
    }
    QCOMPARE(answerer.captions, QStringList{"copy file"});
    QCOMPARE(answerer.texts, QStringList{failureText(EACCES) + "\nb.jpg"});
    QCOMPARE(names(view->RightListView), QStringList{"a.jpg"});
}

void tst_CopyMany::escapeStopsAfterTheCurrentFile()
{
    connect(view->findChild<CopyJob *>(), &CopyJob::progressed, this,
            [&] { QTest::keyClick(view->progress, Qt::Key_Escape); });
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(view->LeftListView->isEnabled());
    QVERIFY(!view->progress->isVisible());
    QCOMPARE(names(view->RightListView), QStringList{"a.jpg"});
}

void tst_CopyMany::escapeStopsABigFileAndLeavesNothing()
{
    QVERIFY(writeFile(left() + "/b.jpg", QByteArray(5 << 20, 'b')));
    view->listLeft();
    connect(view->findChild<CopyJob *>(), &CopyJob::progressed, this, [&](const QString &name) {
        if (name == "b.jpg")
            QTest::keyClick(view->progress, Qt::Key_Escape);
    });
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(view->LeftListView->isEnabled());
    QCOMPARE(QDir(right()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.jpg"});
}

// As when the card under the destination is unmounted: the rest must not
// land in whatever folder now has its path.
void tst_CopyMany::vanishedDestinationStopsTheJob()
{
    const QString away = dirs->path() + "/away";
    connect(view->findChild<CopyJob *>(), &CopyJob::progressed, this, [&](const QString &name) {
        if (name == "b.jpg")
            QVERIFY(QDir().rename(right(), away) && QDir().mkdir(right()));
    });
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(!view->progress->isVisible());
    QCOMPARE(answerer.texts, QStringList{"no success\n" + right()});
    QCOMPARE(QDir(away).entryList(QDir::Files), QStringList{"a.jpg"});
    QCOMPARE(QDir(right()).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(tst_CopyMany)
#include "tst_copymany.moc"
