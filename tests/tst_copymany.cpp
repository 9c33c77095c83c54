#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <mutex>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "copiedmarks.h"
#include "copyjob.h"
#include "copyplan.h"
#include "filecopy.h"
#include "browserfixture.h"
#include "progressedit.h"
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
    void sameNamesAskedOnce_data();
    void sameNamesAskedOnce();
    void keptCopyCountsAsThereNextTime();
    void samePictureSkippedWithoutQuestion_data();
    void samePictureSkippedWithoutQuestion();
    void marks_data();
    void marks();
    void unreadablePictureLeftOut();
    void refusedNameLeftOut();
    void copyReadBackDifferentIsNotKept();
    void marksComeBackAfterARestart();
    void sameNameSizeAndTimeOtherBytesBothKept();
    void escapeStopsAfterTheCurrentFile();
    void cancelStopsBigFilesAndLeavesNothing_data();
    void cancelStopsBigFilesAndLeavesNothing();
    void vanishedDestinationStopsTheJob();
    void powerCutOrder();

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
    connect(view->findChild<CopyJob *>(), &CopyJob::progressed, this, [&](const QString &name) {
        order << name;
        QVERIFY(view->progress->isVisible());
        QVERIFY(!view->LeftListView->isEnabled() && !view->RightListView->isEnabled());
        QVERIFY(!view->LeftThumbnailButton->isEnabled());
    });
    copy(view.get(), {"c.jpg", "a.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QVERIFY(!view->progress->isVisible());

    QCOMPARE(order, (QStringList{"a.jpg", "c.jpg"}));
    QCOMPARE(view->progress->ProgressBar->value(), view->progress->ProgressBar->maximum());
    QCOMPARE(names(view->RightListView), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
    QCOMPARE(readFile(right() + "/c.jpg"), QByteArray("picture c.jpg"));
    QVERIFY(view->LeftListView->isEnabled() && view->RightListView->isEnabled());
    QVERIFY(view->LeftThumbnailButton->isEnabled());
}

namespace {

// Gives the file the modification time `seconds` after the other's.
bool timeAfter(const QString &path, const QString &other, int seconds)
{
    struct stat st;
    if (::stat(QFile::encodeName(other).constData(), &st) != 0)
        return false;
    const struct timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + seconds, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace

// Names the destination gives other pictures: one question, never an
// overwrite; the same picture is no collision.
void tst_CopyMany::sameNamesAskedOnce_data()
{
    QTest::addColumn<int>("key"); // pressed in the question
    QTest::addColumn<bool>("keptBoth");
    QTest::newRow("Y keeps both") << int(Qt::Key_Y) << true;
    QTest::newRow("Return alone skips") << int(Qt::Key_Return) << false;
    QTest::newRow("Escape skips") << int(Qt::Key_Escape) << false;
}

void tst_CopyMany::sameNamesAskedOnce()
{
    QFETCH(int, key);
    QFETCH(bool, keptBoth);
    QVERIFY(writeFile(right() + "/a.jpg", "old a"));
    QVERIFY(writeFile(right() + "/a-1.jpg", "an earlier kept a"));
    QVERIFY(writeFile(right() + "/b.jpg", "old b"));
    QVERIFY(writeFile(right() + "/c.jpg", "picture c.jpg"));
    QVERIFY(timeAfter(right() + "/c.jpg", left() + "/c.jpg", 1));
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
    QTRY_VERIFY(jobsEnded(view.get()));

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(question, QString("2 of the 3 pictures have the same name as a different picture "
                               "in the destination.\nkeep both ?"));
    QCOMPARE(buttons, 2);
    QCOMPARE(readFile(right() + "/a.jpg"), QByteArray("old a"));
    QCOMPARE(readFile(right() + "/b.jpg"), QByteArray("old b"));
    QCOMPARE(readFile(right() + "/a-2.jpg"), keptBoth ? "picture a.jpg" : QByteArray());
    QCOMPARE(readFile(right() + "/b-1.jpg"), keptBoth ? "picture b.jpg" : QByteArray());
    QCOMPARE(QDir(right()).entryList(QDir::Files).size(), keptBoth ? 6 : 4);
    const QList<QTreeWidgetItem *> items = view->LeftListView->findItems("*", Qt::MatchWildcard);
    for (QTreeWidgetItem *item : items)
        QCOMPARE(!item->icon(0).isNull(), keptBoth || item->text(0) == "c.jpg");
}

// A picture kept beside a different one under a numbered name is found
// there by its record line, not copied once more under the next number.
void tst_CopyMany::keptCopyCountsAsThereNextTime()
{
    QVERIFY(writeFile(right() + "/a.jpg", "old a"));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    copy(view.get(), {"a.jpg", "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(readFile(right() + "/a-1.jpg"), QByteArray("picture a.jpg"));
    answerer.answerMessageBox(QMessageBox::Yes);
    copy(view.get(), {"a.jpg", "b.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 1);
    QCOMPARE(QDir(right()).entryList(QDir::Files),
             (QStringList{"a-1.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(CopiedMarks::of(view->LeftListView->findItems("a.jpg", Qt::MatchExactly).value(0)),
             ImportRecord::Proven);
    // Its RAW, copied later, joins it under its number, not beside the
    // other picture's a.jpg.
    QVERIFY(writeFile(left() + "/a.cr2", "raw a"));
    CopyPlan plan;
    QVERIFY(plan.make({{std::make_shared<const Folder>(left()), "a.jpg", {"a.cr2"}, {}}},
                      Folder(right()), {}));
    QCOMPARE(plan.collisions(), 0);
    QCOMPARE(plan.transfers(false).value(0).to, QList<QByteArray>{"a-1.cr2"});
}

void tst_CopyMany::samePictureSkippedWithoutQuestion_data()
{
    QTest::addColumn<int>("later"); // seconds the destination's time is after the source's
    QTest::newRow("same size and time") << 1;
    QTest::newRow("same bytes, other time") << 3600;
}

void tst_CopyMany::samePictureSkippedWithoutQuestion()
{
    QFETCH(int, later);
    QVERIFY(writeFile(right() + "/a.jpg", "picture a.jpg"));
    QVERIFY(timeAfter(right() + "/a.jpg", left() + "/a.jpg", later));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    copy(view.get(), {"a.jpg", "b.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 1);
    QCOMPARE(QDir(right()).entryList(QDir::Files), (QStringList{"a.jpg", "b.jpg"}));
}

// What the marks say of files no copy of ours made, from entries as the
// source pane holds them: at most "there, not proven".
void tst_CopyMany::marks_data()
{
    QTest::addColumn<QString>("there"); // destination file name
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("pair");
    QTest::addColumn<int>("mark");
    const QByteArray same = "picture a.jpg";
    QTest::newRow("same") << "a.jpg" << same << false << int(ImportRecord::ThereNotProven);
    QTest::newRow("different size") << "a.jpg" << QByteArray("picture") << false
                                    << int(ImportRecord::NotThere);
    QTest::newRow("kept as a-1") << "a-1.jpg" << same << false << int(ImportRecord::NotThere);
    QTest::newRow("upper case on a case-keeping disk")
        << "A.JPG" << same << false << int(ImportRecord::NotThere);
    QTest::newRow("pair, half there") << "a.jpg" << same << true << int(ImportRecord::NotThere);
}

void tst_CopyMany::marks()
{
    QFETCH(QString, there);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, pair);
    QFETCH(int, mark);
    QVERIFY(writeFile(left() + "/a.cr2", "raw a"));
    QVERIFY(writeFile(right() + "/" + there, bytes));
    FolderEntry entry{std::make_shared<const Folder>(left()), "a.jpg", {}, {}};
    if (pair)
        entry.partners = {"a.cr2"};
    QCOMPARE(CopiedMarks::find({entry}, Folder(right()), {}),
             QList<ImportRecord::Mark>{ImportRecord::Mark(mark)});
}

void tst_CopyMany::unreadablePictureLeftOut()
{
    QVERIFY(QFile::setPermissions(left() + "/b.jpg", QFileDevice::Permissions()));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    {
        TestUtils::PermissionChecksOn permissions;
        copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
        QTRY_VERIFY(jobsEnded(view.get()));
    }
    QCOMPARE(answerer.captions, QStringList{"copy file"});
    QCOMPARE(answerer.texts,
             QStringList{"1 picture(s) could not be copied and were left out:\nb.jpg"});
    QCOMPARE(names(view->RightListView), (QStringList{"a.jpg", "c.jpg"}));
}

// The longest name the disk takes, kept beside a different picture: its
// numbered name is one the disk refuses, as vfat refuses "a:b.jpg".
void tst_CopyMany::refusedNameLeftOut()
{
    const QString longest = QString(251, 'n') + ".jpg";
    QVERIFY(writeFile(left() + "/" + longest, "picture n"));
    QVERIFY(writeFile(right() + "/" + longest, "another picture"));
    view->listLeft();
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Ok);
    copy(view.get(), {"a.jpg", longest, "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.texts.last(),
             "1 picture(s) could not be copied and were left out:\n" + longest);
    QCOMPARE(names(view->RightListView), (QStringList{"a.jpg", "c.jpg", longest}));
}

// As a flaky card reader or disk would: the bytes on disk are not the
// bytes read.
void tst_CopyMany::copyReadBackDifferentIsNotKept()
{
    FileCopy::Hooks hooks;
    hooks.beforeReadBack = [](int fd) { QCOMPARE(::pwrite(fd, "X", 1, 0), ssize_t(1)); };
    view->findChild<CopyJob *>()->setHooks(hooks);
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    copy(view.get(), {"a.jpg", "b.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.texts,
             QStringList{"a.jpg: the copy in the destination differs from the card."});
    QCOMPARE(QDir(right()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(view->LeftListView->topLevelItem(0)->icon(0).isNull());
}

void tst_CopyMany::marksComeBackAfterARestart()
{
    copy(view.get(), {"a.jpg", "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    view = makeBrowser();
    QStringList marked;
    for (QTreeWidgetItem *item : view->LeftListView->findItems("*", Qt::MatchWildcard))
        if (CopiedMarks::of(item) == ImportRecord::Proven)
            marked << item->text(0);
    QCOMPARE(marked, (QStringList{"a.jpg", "c.jpg"}));
}

// Two cameras, one second apart: the name, size and time say nothing.
void tst_CopyMany::sameNameSizeAndTimeOtherBytesBothKept()
{
    QVERIFY(writeFile(right() + "/a.jpg", "picture A.JPG"));
    QVERIFY(timeAfter(right() + "/a.jpg", left() + "/a.jpg", 0));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    copy(view.get(), {"a.jpg", "b.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(readFile(right() + "/a.jpg"), QByteArray("picture A.JPG"));
    QCOMPARE(readFile(right() + "/a-1.jpg"), QByteArray("picture a.jpg"));
}

void tst_CopyMany::escapeStopsAfterTheCurrentFile()
{
    connect(view->findChild<CopyJob *>(), &CopyJob::progressed, this,
            [&] { QTest::keyClick(view->progress, Qt::Key_Escape); });
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QVERIFY(!view->progress->isVisible());
    QCOMPARE(names(view->RightListView), QStringList{"a.jpg"});
}

// A few big files: the cancel comes while the first is copied.
void tst_CopyMany::cancelStopsBigFilesAndLeavesNothing_data()
{
    QTest::addColumn<bool>("tapped"); // Cancel tapped, or Escape pressed
    QTest::newRow("Escape") << false;
    QTest::newRow("Cancel tapped") << true;
}

void tst_CopyMany::cancelStopsBigFilesAndLeavesNothing()
{
    QFETCH(bool, tapped);
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(writeFile(left() + "/" + name, QByteArray(20 << 20, name[0])));
    view->listLeft();
    connect(view->findChild<CopyJob *>(), &CopyJob::bytesCopied, this, [&] {
        if (tapped)
            QTest::mouseClick(view->progress->findChild<QPushButton *>("CancelButton"),
                              Qt::LeftButton);
        else
            QTest::keyClick(view->progress, Qt::Key_Escape);
    });
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QVERIFY(!view->progress->isVisible());
    // The first file's bytes may all be in before the tap is handled; it
    // then stays whole, and nothing comes after it.
    const QStringList copied = QDir(right()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(copied.isEmpty() || copied == QStringList{"a.jpg"}, qPrintable(copied.join(' ')));
    QVERIFY(copied.isEmpty() || readFile(right() + "/a.jpg").size() == 20 << 20);
}

// As when the card under the destination is unmounted: the rest must not
// land in whatever folder now has its path.
void tst_CopyMany::vanishedDestinationStopsTheJob()
{
    const QString away = dirs->path() + "/away";
    FileCopy::Hooks hooks;
    bool moved = false;
    hooks.stepDone = [&](FileCopy::Step step) {
        if (step == FileCopy::Step::FolderSynced && !moved)
            moved = QDir().rename(right(), away) && QDir().mkdir(right());
    };
    view->findChild<CopyJob *>()->setHooks(hooks);
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.texts, QStringList{"no success\n" + right()});
    QCOMPARE(QDir(away).entryList(QDir::Files), QStringList{"a.jpg"});
    QCOMPARE(QDir(right()).entryList(QDir::Files), QStringList());
}

// Each file flushed, then named, then its folder flushed; and a picture
// counts as copied (its record line, the progress past it) only after that.
void tst_CopyMany::powerCutOrder()
{
    std::mutex lock;
    QList<FileCopy::Step> steps;
    int folderSyncs = 0;
    bool recordEarly = false;
    FileCopy::Hooks hooks;
    hooks.stepDone = [&](FileCopy::Step step) {
        const QByteArray record = readFile(right() + "/.tessel-imports");
        const std::lock_guard<std::mutex> held(lock);
        steps << step;
        if (step == FileCopy::Step::Renamed && record.count('\n') - 1 > folderSyncs)
            recordEarly = true;
        folderSyncs += step == FileCopy::Step::FolderSynced;
    };
    CopyJob *job = view->findChild<CopyJob *>();
    job->setHooks(hooks);
    bool shownEarly = false;
    connect(job, &CopyJob::progressed, this, [&](const QString &, int index) {
        const std::lock_guard<std::mutex> held(lock);
        shownEarly |= index - 1 > folderSyncs;
    });
    copy(view.get(), {"a.jpg", "b.jpg", "c.jpg"});
    QTRY_VERIFY(jobsEnded(view.get()));
    QVERIFY(!recordEarly);
    QVERIFY(!shownEarly);
    // The reader flushes file N+1 while file N is named: compare each kind
    // of step by its count.
    auto at = [&](FileCopy::Step step, int n) {
        for (int i = 0; i < steps.size(); ++i)
            if (steps.at(i) == step && n-- == 0)
                return i;
        return int(steps.size());
    };
    QCOMPARE(steps.size(), 9);
    for (int n = 0; n < 3; ++n) {
        QVERIFY(at(FileCopy::Step::FileSynced, n) < at(FileCopy::Step::Renamed, n));
        QVERIFY(at(FileCopy::Step::Renamed, n) < at(FileCopy::Step::FolderSynced, n));
    }
    QCOMPARE(names(view->RightListView), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

QTEST_MAIN(tst_CopyMany)
#include "tst_copymany.moc"
