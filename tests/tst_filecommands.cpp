#include <QComboBox>
#include <QFileInfo>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>
#include <functional>

#include "tesselapp.h"
#include "browserfixture.h"
#include "filecopy.h"
#include "importrecord.h"
#include "cfgedit.h"
#include "kwqtfileeditdlg.h"
#include "fullpic.h"
#include "progressedit.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::StdoutCapture;
using TestUtils::diagnostics;
using TestUtils::names;
using TestUtils::readFile;
using TestUtils::writeFile;
using Answers = QList<QMessageBox::StandardButton>;

namespace {

QStringList allFilesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Enters the folder `name` of the file dialog's list and takes it.
void enterAndTake(KwQtFileEditDlg *dlg, const QString &name)
{
    const QList<QTreeWidgetItem *> found = dlg->ListView->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        dlg->reject();
        return;
    }
    const QString before = dlg->DirComboBox->currentText();
    dlg->ListView->setCurrentItem(found.first());
    if (!QTest::qWaitFor([&] { return dlg->DirComboBox->currentText() != before; }, 3000)) {
        dlg->reject();
        return;
    }
    dlg->OkButton->click();
}

} // namespace

class tst_FileCommands : public QObject, public BrowserFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setupRewritesSettingsWhenAccepted_data();
    void setupRewritesSettingsWhenAccepted();
    void fullScreenShowsPreviewedPicture_data();
    void fullScreenShowsPreviewedPicture();
    void copyAsksBeforeOverwriting_data();
    void copyAsksBeforeOverwriting();
    void copyOntoItselfRefused_data();
    void copyOntoItselfRefused();
    void failedCopyTold_data();
    void failedCopyTold();
    void copyNeedsARealDestination_data();
    void copyNeedsARealDestination();
    void returnNeverDeletesOrOverwrites_data();
    void returnNeverDeletesOrOverwrites();
    void relativeFolderKeepsItsThumbnails();
    void deleteAllAsksTwice_data();
    void deleteAllAsksTwice();
    void deleteAllDeletesWhatIsProven_data();
    void deleteAllDeletesWhatIsProven();
    void deleteAllStopsThumbnailRun();
    void deleteOneDestinationPicture_data();
    void deleteOneDestinationPicture();
    void chooseFolder_data();
    void chooseFolder();

private:
    void copySelected(Browser *view, const QString &name, ModalAnswerer &answerer,
                      const std::function<void()> &beforeClick = {});
    void proveCopy(const QByteArray &name);
};

void tst_FileCommands::initTestCase()
{
    qputenv("TESSELCFG", noSettingsFile);
}

void tst_FileCommands::init()
{
    setUpBrowserFixture();
}

void tst_FileCommands::cleanup()
{
    // A test may leave the destination read-only; the folder must still go.
    if (dirs)
        QFile::setPermissions(right(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    tearDownBrowserFixture();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

// Selects the picture, which enables the copy button, and clicks it.
void tst_FileCommands::copySelected(Browser *view, const QString &name, ModalAnswerer &answerer,
                                    const std::function<void()> &beforeClick)
{
    QTreeWidgetItem *item = TestUtils::item(view->LeftListView, name);
    QVERIFY(item);
    view->LeftListView->setCurrentItem(item);
    QTRY_VERIFY(previewSettled(view));
    QVERIFY(view->LeftCopyToolButton->isEnabled());
    if (beforeClick)
        beforeClick();
    view->LeftCopyToolButton->click();
    QTRY_VERIFY(jobsEnded(view));
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
}

void tst_FileCommands::setupRewritesSettingsWhenAccepted_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("cancelled") << false;
}

void tst_FileCommands::setupRewritesSettingsWhenAccepted()
{
    QFETCH(bool, accept);
    qputenv("TESSELCFG", QFile::encodeName(dirs->path()));
    const QString cfg = dirs->path() + "/tessel.cfg";
    QVERIFY(writeFile(cfg, "[HEADER]\nFILEEXT=jpg;\nRIGHTPATH=" + QFile::encodeName(right()) +
                               ";\n\n##EOF\n"));
    auto *app = new TesselApp;
    TesselData *settings = app->settings();
    QVERIFY(QFile::remove(cfg));

    ModalAnswerer answerer;
    QString caption;
    answerer.answerModal([&](QWidget *w) {
        auto *editor = qobject_cast<cfgEdit *>(w);
        if (!editor) {
            w->close();
            return;
        }
        caption = editor->windowTitle();
        if (!accept) {
            editor->CancelButton->click();
            return;
        }
        const QList<QTreeWidgetItem *> row = editor->ListView->findItems(
            "fileextension", Qt::MatchExactly | Qt::MatchRecursive, 0);
        if (!row.isEmpty()) {
            editor->ListView->setCurrentItem(row.first());
            editor->LineEdit->setText("png");
        }
        editor->OkButton->click();
    });
    app->browser()->SetupToolButton->click();
    const QByteArray written = readFile(cfg);
    const QString ext = settings->fileExt;
    delete app;
    qputenv("TESSELCFG", noSettingsFile);

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(caption, QString("ConfigEdit"));
    QCOMPARE(ext, QString(accept ? "png" : "jpg"));
    QCOMPARE(written.contains("\nFILEEXT=png;\n"), accept);
    QCOMPARE(written.isEmpty(), !accept);
}

void tst_FileCommands::fullScreenShowsPreviewedPicture_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("opened");
    QTest::newRow("nothing previewed") << "" << false;
    QTest::newRow("preview failed") << "bad.jpg" << false;
    QTest::newRow("picture previewed") << "a.jpg" << true;
}

void tst_FileCommands::fullScreenShowsPreviewedPicture()
{
    QFETCH(QString, selected);
    QFETCH(bool, opened);
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(TestUtils::writeCorruptPicture(left() + "/bad.jpg"));
    auto view = makeBrowser();
    if (!selected.isEmpty()) {
        StdoutCapture quiet;
        view->LeftListView->setCurrentItem(
            view->LeftListView->findItems(selected, Qt::MatchExactly).first());
        QTRY_VERIFY(previewSettled(view.get()));
    }

    ModalAnswerer answerer(200);
    QString caption;
    bool pictureShown = false;
    answerer.answerModal([&](QWidget *w) {
        caption = w->windowTitle();
        if (auto *full = qobject_cast<FullPic *>(w))
            pictureShown = QTest::qWaitFor([full] { return !full->PixmapLabel->pixmap().isNull(); });
        w->close();
    });
    QVERIFY(QMetaObject::invokeMethod(view.get(), "slotShowFullPic"));
    if (!opened)
        QTRY_VERIFY(answerer.timedOut());

    QCOMPARE(answerer.pending(), opened ? 0 : 1);
    QCOMPARE(pictureShown, opened);
    QCOMPARE(caption, QString(opened ? "FullPicture" : ""));
}

void tst_FileCommands::copyAsksBeforeOverwriting_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("new file: no question") << false << Answers() << true;
    QTest::newRow("existing file, No keeps it") << true << Answers{QMessageBox::No} << false;
    QTest::newRow("existing file, Yes replaces it") << true << Answers{QMessageBox::Yes} << true;
}

void tst_FileCommands::copyAsksBeforeOverwriting()
{
    QFETCH(bool, exists);
    QFETCH(Answers, answers);
    QFETCH(bool, replaced);
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    const QByteArray picture = readFile(left() + "/a.jpg");
    const QByteArray old = "old picture";
    if (exists)
        QVERIFY(writeFile(right() + "/a.jpg", old));
    auto view = makeBrowser();
    QVERIFY(writeFile(right() + "/b.jpg", "appears at the relisting"));

    ModalAnswerer answerer;
    for (QMessageBox::StandardButton answer : answers)
        answerer.answerMessageBox(answer);
    copySelected(view.get(), "a.jpg", answerer);

    QCOMPARE(answerer.captions, QStringList(answers.size(), "copy file"));
    QCOMPARE(answerer.texts, QStringList(answers.size(), "destination file exists!\noverwrite ?"));
    QCOMPARE(readFile(right() + "/a.jpg"), replaced ? picture : old);
    QCOMPARE(readFile(left() + "/a.jpg"), picture);
    QCOMPARE(names(view->RightListView), QStringList({"a.jpg", "b.jpg"}));
}

void tst_FileCommands::copyNeedsARealDestination_data()
{
    QTest::addColumn<QString>("destination"); // "" empty setting, "missing", "unreadable"
    QTest::newRow("empty setting") << "";
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("unreadable folder") << "unreadable";
}

void tst_FileCommands::copyNeedsARealDestination()
{
    QFETCH(QString, destination);
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    auto view = makeBrowser();

    // Copy is offered only with a usable destination: it goes after that.
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    {
        TestUtils::PermissionChecksOn permissions;
        copySelected(view.get(), "a.jpg", answerer, [&] {
            data->rightPath = destination.isEmpty() ? QString() : right();
            if (destination == "missing")
                QVERIFY(QDir(right()).removeRecursively());
            else if (destination == "unreadable")
                QVERIFY(QFile::setPermissions(right(), QFile::WriteOwner | QFile::ExeOwner));
        });
    }
    QCOMPARE(answerer.captions, QStringList{"copy file"});
    QCOMPARE(answerer.texts.value(0),
             QString("The destination directory\n%1\nis missing or cannot be read.\n"
                     "Nothing was copied.").arg(data->rightPath));
    QVERIFY(!QFileInfo::exists(right() + "/a.jpg"));
    QVERIFY(!QFileInfo::exists("/a.jpg"));
}

void tst_FileCommands::returnNeverDeletesOrOverwrites_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("overwrite") << "LeftCopyToolButton";
    QTest::newRow("delete file") << "RightDeleteToolButton";
    QTest::newRow("delete all files") << "LeftDeleteToolButton";
}

void tst_FileCommands::returnNeverDeletesOrOverwrites()
{
    QFETCH(QString, button);
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(writeFile(right() + "/a.jpg", "old picture"));
    auto view = makeBrowser();
    QTreeWidget *list = button.startsWith("Right") ? view->RightListView : view->LeftListView;
    list->setCurrentItem(list->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));

    ModalAnswerer answerer;
    answerer.answerModal([](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
    view->findChild<QToolButton *>(button)->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(QFileInfo::exists(left() + "/a.jpg"));
    QCOMPARE(readFile(right() + "/a.jpg"), QByteArray("old picture"));
}

void tst_FileCommands::relativeFolderKeepsItsThumbnails()
{
    QVERIFY(TestUtils::writePicture(right() + "/b.jpg", QSize(64, 48)));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dirs->path()));
    data->rightPath = "right";
    auto view = makeBrowser();
    view->listLeft();
    QVERIFY(view->stepDestThumbs(true));
    QTRY_VERIFY(!view->progress->isVisible());
    QDir::setCurrent(saved);
    QVERIFY(QFileInfo::exists(right() + "/_thumbnail/b.jpg.png"));
    QVERIFY(!QFileInfo::exists(right() + "/right"));
}

void tst_FileCommands::copyOntoItselfRefused_data()
{
    QTest::addColumn<QString>("destination");
    QTest::newRow("same folder") << "same";
    QTest::newRow("destination is a link to the source folder") << "link";
    QTest::newRow("a folder below the source") << "below";
}

void tst_FileCommands::copyOntoItselfRefused()
{
    QFETCH(QString, destination);
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    const QByteArray picture = readFile(left() + "/a.jpg");
    if (destination == "same") {
        data->rightPath = left();
    } else if (destination == "below") {
        QVERIFY(QDir().mkpath(left() + "/100CANON"));
        QVERIFY(QFile::copy(left() + "/a.jpg", left() + "/100CANON/a.jpg"));
        data->rightPath = left() + "/100CANON";
    } else {
        QVERIFY(QFile::link(left(), dirs->path() + "/link"));
        data->rightPath = dirs->path() + "/link";
    }
    auto view = makeBrowser();

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    copySelected(view.get(), "a.jpg", answerer);

    QCOMPARE(answerer.captions, QStringList({"copy file"}));
    QCOMPARE(answerer.texts, QStringList({"The destination is inside the source folder."}));
    QCOMPARE(readFile(left() + "/a.jpg"), picture);
    QVERIFY(view->LeftListView->topLevelItem(0)->icon(0).isNull());
}

void tst_FileCommands::failedCopyTold_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QString>("printed");
    QTest::newRow("source vanished: diagnostic only")
        << "vanished" << Answers() << "\nTesselView::ReadFile - file not found (@left/a.jpg)\n";
    QTest::newRow("read-only destination folder: box, old file kept")
        << "read-only" << Answers{QMessageBox::Yes, QMessageBox::Ok}
        << "\nTesselView::WriteFile - file not writeable (@right/a.jpg)\n";
}

void tst_FileCommands::failedCopyTold()
{
    QFETCH(QString, failure);
    QFETCH(Answers, answers);
    QFETCH(QString, printed);
    printed.replace("@left", left()).replace("@right", right());
    const QByteArray old = "old picture";
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(writeFile(right() + "/a.jpg", old));
    auto view = makeBrowser();
    const auto damage = [&] {
        if (failure == "vanished")
            QVERIFY(QFile::remove(left() + "/a.jpg"));
        else
            QVERIFY(QFile::setPermissions(right(), QFile::ReadOwner | QFile::ExeOwner));
    };

    ModalAnswerer answerer;
    for (QMessageBox::StandardButton answer : answers)
        answerer.answerMessageBox(answer);
    QString out;
    {
        TestUtils::PermissionChecksOn permissions;
        StdoutCapture capture;
        copySelected(view.get(), "a.jpg", answerer, damage);
        out = diagnostics(capture);
    }
    QFile::setPermissions(right(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(out, printed);
    if (!answers.isEmpty()) {
        QCOMPARE(answerer.captions, QStringList({"copy file", "copy file"}));
        QCOMPARE(answerer.texts.last(), failureText(EACCES));
    }
    QCOMPARE(readFile(right() + "/a.jpg"), old);
    QCOMPARE(allFilesIn(right()), QStringList({"a.jpg"}));
    QCOMPARE(names(view->RightListView), QStringList({"a.jpg"}));
}

// A proven copy of the source picture, recorded as the copy command does.
void tst_FileCommands::proveCopy(const QByteArray &name)
{
    const Folder from(left()), to(right());
    FileCopy copy;
    QCOMPARE(copy.copy(from, name, to, name), FileCopy::Copied);
    const FileCopy::Proof &proof = copy.proof();
    QVERIFY(ImportRecord(to).append({proof, {}, {}, name, name}));
}

// The first question warns of pictures without a proven copy; with none
// such, both questions are as ever.
void tst_FileCommands::deleteAllAsksTwice_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("relisted");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<bool>("proven"); // both pictures copied through the browser before
    QTest::newRow("No at the first question") << Answers{QMessageBox::No} << false << false << true;
    QTest::newRow("No at the second question")
        << Answers{QMessageBox::Yes, QMessageBox::No} << true << false << true;
    QTest::newRow("Yes twice") << Answers{QMessageBox::Yes, QMessageBox::Yes} << true << true
                               << true;
    QTest::newRow("copied by another program: the question warns")
        << Answers{QMessageBox::No} << false << false << false;
}

void tst_FileCommands::deleteAllAsksTwice()
{
    QFETCH(Answers, answers);
    QFETCH(bool, relisted);
    QFETCH(bool, deleted);
    QFETCH(bool, proven);
    QVERIFY(writeFile(left() + "/a.jpg", "a"));
    QVERIFY(writeFile(left() + "/b.jpg", "b"));
    QVERIFY(writeFile(left() + "/notes.txt", "not a picture"));
    QVERIFY(QDir().mkpath(left() + "/_thumbnail"));
    QVERIFY(writeFile(left() + "/_thumbnail/a.jpg.png", "thumb"));
    for (const QByteArray name : {"a.jpg", "b.jpg"}) {
        if (proven)
            proveCopy(name);
        else
            QVERIFY(QFile::copy(left() + "/" + name, right() + "/" + name));
    }
    auto view = makeBrowser();
    // Not listed yet, so not among the pictures the user agreed to delete.
    QVERIFY(writeFile(left() + "/late.jpg", "late"));

    ModalAnswerer answerer;
    for (QMessageBox::StandardButton answer : answers)
        answerer.answerMessageBox(answer);
    view->LeftDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList(answers.size(), "delete all files"));
    QCOMPARE(answerer.texts.first(),
             "You try to delete all files in the left dir\nAre you sure ?\n path is \n" + left() +
                 (proven ? "" : "\n2 of them have no proven copy in the destination !"));
    if (answers.size() > 1)
        QCOMPARE(answerer.texts.last(), QString("really ?"));
    const QStringList kept = deleted ? QStringList{"_thumbnail", "late.jpg", "notes.txt"}
                                     : QStringList{"_thumbnail", "a.jpg", "b.jpg", "late.jpg",
                                                   "notes.txt"};
    QCOMPARE(allFilesIn(left()), kept);
    QVERIFY(QFile::exists(left() + "/_thumbnail/a.jpg.png"));
    const QStringList listed = !relisted ? QStringList{"a.jpg", "b.jpg"}
                               : deleted ? QStringList{"late.jpg"}
                                         : QStringList{"a.jpg", "b.jpg", "late.jpg"};
    QCOMPARE(names(view->LeftListView), listed);
}

// a.jpg and c.jpg are proven, b.jpg is not; c.jpg changes while the last
// question is up. The card is synced after the deletes.
void tst_FileCommands::deleteAllDeletesWhatIsProven_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("syncErrno");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("boxes"); // after the two questions
    const QString changed = "1 picture(s) changed since their copy and were kept.";
    const QString cardError = "The card reported an error: some pictures may not have been "
                              "deleted.";
    QTest::newRow("Proven only") << int(QMessageBox::Yes) << 0 << QStringList{"b.jpg", "c.jpg"}
                                 << QStringList{changed};
    QTest::newRow("All") << int(QMessageBox::YesToAll) << 0 << QStringList() << QStringList();
    QTest::newRow("No") << int(QMessageBox::No) << 0 << QStringList{"a.jpg", "b.jpg", "c.jpg"}
                        << QStringList();
    QTest::newRow("Escape") << int(QMessageBox::Escape) << 0
                            << QStringList{"a.jpg", "b.jpg", "c.jpg"} << QStringList();
    QTest::newRow("the card's sync fails") << int(QMessageBox::YesToAll) << EIO << QStringList()
                                           << QStringList{cardError};
}

void tst_FileCommands::deleteAllDeletesWhatIsProven()
{
    QFETCH(int, answer);
    QFETCH(int, syncErrno);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, boxes);
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(writeFile(left() + "/" + name, name));
    proveCopy("a.jpg");
    proveCopy("c.jpg");
    auto view = makeBrowser();
    calls->syncfsErrno = syncErrno;
    calls->calls.clear();

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    QString buttons;
    answerer.answerModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        for (QAbstractButton *button : box->buttons())
            buttons += button->text() + (button == box->defaultButton() ? "*" : "") + " ";
        QVERIFY(writeFile(left() + "/c.jpg", "c, changed"));
        if (answer == QMessageBox::Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(answer))->click();
    });
    for (int i = 0; i < boxes.size(); ++i)
        answerer.answerMessageBox(QMessageBox::Ok);
    view->LeftDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QTRY_COMPARE(answerer.pending(), 0);

    QCOMPARE(buttons, QString("Proven only All No* "));
    QCOMPARE(answerer.texts.mid(1), boxes);
    QCOMPARE(QDir(left()).entryList(QDir::Files), kept);
    const bool deleting = answer != QMessageBox::No && answer != QMessageBox::Escape;
    QCOMPARE(calls->calls.filter("syncfs").size(), deleting ? 1 : 0);
    QCOMPARE(view->LeftDeleteToolButton->isEnabled(), !kept.isEmpty());
}

void tst_FileCommands::deleteAllStopsThumbnailRun()
{
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(TestUtils::writePicture(left() + "/b.jpg", QSize(64, 48)));
    auto view = makeBrowser();
    view->LeftThumbnailButton->click();

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::YesToAll);
    view->LeftDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));
    QCOMPARE(answerer.pending(), 0);

    QCOMPARE(view->LeftListView->topLevelItemCount(), 0);
    QVERIFY(!view->srcThumbTimer.isActive());
    QVERIFY(view->LeftListView->isEnabled());
    QVERIFY(!view->progress->isVisible());
    QVERIFY(!QFile::exists(left() + "/a.jpg") && !QFile::exists(left() + "/b.jpg"));
}

void tst_FileCommands::deleteOneDestinationPicture_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("Yes deletes") << QMessageBox::Yes;
    QTest::newRow("No keeps") << QMessageBox::No;
}

void tst_FileCommands::deleteOneDestinationPicture()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QVERIFY(TestUtils::writePicture(right() + "/a.jpg", QSize(64, 48)));
    QVERIFY(TestUtils::writePicture(right() + "/b.jpg", QSize(64, 48)));
    QVERIFY(QDir().mkpath(right() + "/_thumbnail"));
    QVERIFY(writeFile(right() + "/_thumbnail/a.jpg.png", "thumb"));
    auto view = makeBrowser();
    view->RightListView->setCurrentItem(view->RightListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));

    ModalAnswerer answerer;
    answerer.answerMessageBox(answer);
    view->RightDeleteToolButton->click();
    QTRY_VERIFY(jobsEnded(view.get()));

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList({"delete file"}));
    QCOMPARE(answerer.texts, QStringList({right() + "/a.jpg"}));
    const bool yes = answer == QMessageBox::Yes;
    QCOMPARE(QFile::exists(right() + "/a.jpg"), !yes);
    QVERIFY(QFile::exists(right() + "/_thumbnail/a.jpg.png"));
    const QStringList listed = yes ? QStringList{"b.jpg"} : QStringList{"a.jpg", "b.jpg"};
    QCOMPARE(names(view->RightListView), listed);
}

void tst_FileCommands::chooseFolder_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("folder");  // below the current one; empty: cancel
    QTest::addColumn<bool>("accepted");

    QTest::newRow("source chosen") << "LeftChdirToolButton"
                                   << "new" << true;
    QTest::newRow("source cancelled") << "LeftChdirToolButton"
                                      << "" << false;
    QTest::newRow("source with a semicolon refused") << "LeftChdirToolButton"
                                                     << "a;b" << false;
    QTest::newRow("destination chosen") << "RightChdirToolButton"
                                        << "new" << true;
    QTest::newRow("destination cancelled") << "RightChdirToolButton"
                                           << "" << false;
    QTest::newRow("destination with a line break refused") << "RightChdirToolButton"
                                                           << "a\nb" << false;
    QTest::newRow("made destination chosen") << "RightMkdirToolButton"
                                             << "made" << true;
    QTest::newRow("made destination cancelled") << "RightMkdirToolButton"
                                                << "" << false;
    QTest::newRow("made destination outside Latin-1 chosen")
        << "RightMkdirToolButton" << QString::fromUtf8("写真") << true;
}

void tst_FileCommands::chooseFolder()
{
    QFETCH(QString, button);
    QFETCH(QString, folder);
    QFETCH(bool, accepted);
    const bool source = button == "LeftChdirToolButton";
    const bool make = button == "RightMkdirToolButton";
    const QString start = source ? left() : right();
    QVERIFY(TestUtils::writePicture(left() + "/a.jpg", QSize(64, 48)));
    QVERIFY(TestUtils::writePicture(right() + "/b.jpg", QSize(64, 48)));
    if (!folder.isEmpty() && !make) {
        QVERIFY(QDir(start).mkdir(folder));
        QVERIFY(TestUtils::writePicture(start + "/" + folder + "/c.jpg", QSize(64, 48)));
    }
    auto view = makeBrowser();
    view->LeftListView->setCurrentItem(view->LeftListView->topLevelItem(0));
    QTRY_VERIFY(previewSettled(view.get()));
    QSignalSpy changed(view.get(), &TesselView::cfgChanged);

    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *w) {
        auto *dlg = qobject_cast<KwQtFileEditDlg *>(w);
        if (!dlg || folder.isEmpty()) {
            w->close();
            return;
        }
        if (make) {
            dlg->FNameLineEdit->setText(folder);
            dlg->MkDirButton->click();
        }
        enterAndTake(dlg, folder);
    });
    const bool refused = !folder.isEmpty() && !accepted;
    if (refused)
        answerer.answerMessageBox(QMessageBox::Ok);
    view->findChild<QToolButton *>(button)->click();

    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QCOMPARE(answerer.captions, refused ? QStringList{"change directory"} : QStringList());
    const QString setting = source ? data->leftPath : data->rightPath;
    QCOMPARE(setting, accepted ? start + "/" + folder : start);
    QCOMPARE(changed.count(), accepted ? 1 : 0);
    // The pane shows the chosen folder at once; a folder just made is empty.
    QStringList listed{source ? "a.jpg" : "b.jpg"};
    if (accepted)
        listed = make ? QStringList() : QStringList{"c.jpg"};
    QCOMPARE(names(source ? view->LeftListView : view->RightListView), listed);
    if (source)
        QCOMPARE(view->LeftCopyToolButton->isEnabled(), !accepted);
    else
        QCOMPARE(view->RightListView->headerItem()->text(0), accepted ? setting : right());
}

QTEST_MAIN(tst_FileCommands)
#include "tst_filecommands.moc"
