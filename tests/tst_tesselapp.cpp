#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

#include "appfixture.h"
#include "tesselview.h"
#include "tesseldata.h"
#include "fakesystemcalls.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::readFile;
using TestUtils::writeFile;

class tst_TesselApp : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void hostsBrowser();
    void browserFollowsWindowSize();
    void quitProcedure_data();
    void quitProcedure();
    void saveQuestionAskedAtEveryAttempt();
    void quitEndsEventLoop();
    void endAsksOnceAndEnds_data();
    void endAsksOnceAndEnds();
    void ctrlQRunsQuitProcedure();
    void opensAtScreenSizeWhenNotMaximised();
    void mountClickRewritesConfiguration();
    void failedSaveToldOncePerReason();
    void secondStartOnSameSettingsWritesNothing();

private:
    void writeConfig(bool cardHasPictures, const QByteArray &moreEntries = QByteArray());
    template <typename App>
    AppPtr<App> makeApp();
    static int execUntilQuit();

    std::unique_ptr<QTemporaryDir> dirs;
    std::unique_ptr<FakeSystemCalls> calls;
};

void tst_TesselApp::init()
{
    dirs = std::make_unique<QTemporaryDir>();
    QVERIFY(dirs->isValid());
    QVERIFY(QDir().mkpath(dirs->path() + "/mnt/dcim"));
    QVERIFY(QDir().mkpath(dirs->path() + "/right"));
    qputenv("TESSELCFG", QFile::encodeName(dirs->path()));
    calls = std::make_unique<FakeSystemCalls>();
}

void tst_TesselApp::cleanup()
{
    calls.reset();
    dirs.reset();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

void tst_TesselApp::writeConfig(bool cardHasPictures, const QByteArray &moreEntries)
{
    const QByteArray base = QFile::encodeName(dirs->path());
    QVERIFY(writeFile(dirs->path() + "/tessel.cfg",
                      "[HEADER]\nFLASHPATH=dcim;\nDEVICE=/dev/tessel-card;\nMOUNTPOINT=" + base +
                          "/mnt;\nFILEEXT=jpg;\nRIGHTPATH=" + base + "/right;\n" +
                          moreEntries + "\n##EOF\n"));
    if (cardHasPictures)
        QVERIFY(writeFile(dirs->path() + "/mnt/dcim/a.jpg", "x"));
}

template <typename App>
AppPtr<App> tst_TesselApp::makeApp()
{
    return AppPtr<App>(new App);
}

// The event loop's exit code; 7 when nothing ended it within five seconds.
int tst_TesselApp::execUntilQuit()
{
    QTimer safety;
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
    safety.start(5000);
    return QCoreApplication::exec();
}

void tst_TesselApp::hostsBrowser()
{
    writeConfig(false);
    auto app = makeApp<TesselApp>();
    TesselView *view = app->browser();
    QVERIFY(view);
    QCOMPARE(view->parentWidget(), app.get());
    QCOMPARE(app->findChildren<TesselView *>().size(), 1);
    QVERIFY(view->isVisible());
    QCOMPARE(app->windowTitle(), QString("Tessel 0.2.1"));
    QCOMPARE(app->minimumSize(), view->minimumSize() + QSize(10, 10));
    QVERIFY(app->windowState() & Qt::WindowMaximized);
    QCOMPARE(app->settings()->leftPath, dirs->path() + "/mnt/dcim");
}

void tst_TesselApp::browserFollowsWindowSize()
{
    writeConfig(false);
    auto app = makeApp<TesselApp>();
    app->showNormal();
    app->resize(400, 500);
    QTRY_COMPARE(app->size(), QSize(400, 500));
    QCOMPARE(app->browser()->geometry(), QRect(0, 0, 400, 490));

    app->resize(50, 50);
    QTRY_COMPARE(app->size(), app->minimumSize());
    QCOMPARE(app->browser()->geometry(),
             QRect(0, 0, app->minimumWidth(), app->minimumHeight() - 10));
}

void tst_TesselApp::quitProcedure_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("mounted");
    QTest::addColumn<int>("umountErrno");
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("quits");
    QTest::addColumn<int>("unmounts");

    using B = QMessageBox::StandardButton;
    const QString save = "Quit ... ";
    const QString card = "Quit...";
    QTest::newRow("unchanged, not mounted: no box")
        << false << false << 0 << QList<B>() << QStringList() << 1 << 0;
    QTest::newRow("modified, Cancel stays")
        << true << false << 0 << QList<B>{B::Cancel} << QStringList{save} << 0 << 0;
    QTest::newRow("modified, Yes quits")
        << true << false << 0 << QList<B>{B::Yes} << QStringList{save} << 1 << 0;
    QTest::newRow("modified, No quits")
        << true << false << 0 << QList<B>{B::No} << QStringList{save} << 1 << 0;
    QTest::newRow("modified and mounted, Cancel asks nothing more")
        << true << true << 0 << QList<B>{B::Cancel} << QStringList{save} << 0 << 0;
    QTest::newRow("mounted, No quits mounted")
        << false << true << 0 << QList<B>{B::No} << QStringList{card} << 1 << 0;
    QTest::newRow("mounted, Yes unmounts")
        << false << true << 0 << QList<B>{B::Yes} << QStringList{card} << 1 << 1;
    QTest::newRow("modified and mounted, Yes and Yes")
        << true << true << 0 << QList<B>{B::Yes, B::Yes} << QStringList{save, card} << 1 << 1;
    QTest::newRow("unmount fails, quits all the same")
        << false << true << EBUSY << QList<B>{B::Yes, B::Ok}
        << QStringList{card, "unmount flashdisk"} << 1 << 1;
}

void tst_TesselApp::quitProcedure()
{
    QFETCH(bool, modified);
    QFETCH(bool, mounted);
    QFETCH(int, umountErrno);
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(QStringList, captions);
    QFETCH(int, quits);
    QFETCH(int, unmounts);
    writeConfig(mounted);
    auto app = makeApp<QuitCounter>();
    QCOMPARE(app->browser()->isMounted(), mounted);
    app->settings()->setModified(modified);
    calls->umountErrno = umountErrno;

    ModalAnswerer answerer;
    for (QMessageBox::StandardButton answer : answers)
        answerer.answerMessageBox(answer);
    QVERIFY(!app->close());

    // An unmount at the end is answered, and any failure shown, before it.
    QTRY_COMPARE(app->quits, quits);
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QCOMPARE(answerer.captions, captions);
    QVERIFY(app->isVisible());
    QCOMPARE(calls->callsOf("umount").size(), unmounts);
    const int saveBox = captions.indexOf("Quit ... ");
    if (saveBox >= 0)
        QCOMPARE(answerer.texts[saveBox],
                 QString("You have modified the data!\nDo you want to save the changes ?"));
    const int cardBox = captions.indexOf("Quit...");
    if (cardBox >= 0)
        QCOMPARE(answerer.texts[cardBox], QString("flashdisk is still mounted\nunmount it"));
}

void tst_TesselApp::saveQuestionAskedAtEveryAttempt()
{
    writeConfig(false);
    auto app = makeApp<QuitCounter>();
    app->settings()->setModified(true);
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Cancel);
    answerer.answerMessageBox(QMessageBox::Cancel);
    answerer.answerMessageBox(QMessageBox::No);
    app->slotFileQuit();
    app->slotFileQuit();
    app->slotFileQuit();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList(3, "Quit ... "));
    QCOMPARE(app->quits, 1);
}

void tst_TesselApp::quitEndsEventLoop()
{
    writeConfig(false);
    auto app = makeApp<TesselApp>();
    QTimer::singleShot(0, app.get(), &TesselApp::slotFileQuit);
    QCOMPARE(execUntilQuit(), 0);
}

// Ended each way with the application's own quit behind it: quitting
// closes every window once more, which must not bring the questions back
// nor keep the program alive.
void tst_TesselApp::endAsksOnceAndEnds_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("window system closes the window") << 0;
    QTest::newRow("Ctrl+Q") << 1;
    QTest::newRow("application quits") << 2;
}

void tst_TesselApp::endAsksOnceAndEnds()
{
    QFETCH(int, how);
    writeConfig(true);
    auto app = makeApp<TesselApp>();
    app->settings()->setModified(true);
    app->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app.get()));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Yes);
    QTimer::singleShot(0, app.get(), [&app, how] {
        if (how == 0)
            app->windowHandle()->close();
        else if (how == 1)
            QTest::keyClick(app.get(), Qt::Key_Q, Qt::ControlModifier);
        else
            QCoreApplication::quit();
    });
    QCOMPARE(execUntilQuit(), 0);
    QCOMPARE(answerer.captions, (QStringList{"Quit ... ", "Quit..."}));
    QCOMPARE(calls->callsOf("umount").size(), 1);
    QCOMPARE(answerer.pending(), 0);
}

void tst_TesselApp::ctrlQRunsQuitProcedure()
{
    writeConfig(false);
    auto app = makeApp<QuitCounter>();
    app->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app.get()));
    QTest::keyClick(app.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(app->quits, 1);
}

void tst_TesselApp::opensAtScreenSizeWhenNotMaximised()
{
    writeConfig(false, "SCREEN WIDTH=300;\nSCREEN HEIGHT=420;\n");
    auto app = makeApp<TesselApp>();
    QVERIFY(app->windowState() & Qt::WindowMaximized);
    app->showNormal();
    QTRY_COMPARE(app->size(), QSize(300, 420));
}

void tst_TesselApp::mountClickRewritesConfiguration()
{
    writeConfig(false);
    auto app = makeApp<TesselApp>();
    const QString cfg = dirs->path() + "/tessel.cfg";
    QVERIFY(QFile::remove(cfg));

    app->browser()->MountPushButton->click();
    QTRY_VERIFY(QFile::exists(cfg));
    const QByteArray written = readFile(cfg);
    QVERIFY(written.contains("\nLEFTPATH=" + QFile::encodeName(dirs->path()) + "/mnt/dcim;\n"));
    QVERIFY(written.contains("\nDEVICE=/dev/tessel-card;\n"));
    QCOMPARE(calls->callsOf("mount").size(), 1);
}

void tst_TesselApp::failedSaveToldOncePerReason()
{
    writeConfig(false);
    auto app = makeApp<TesselApp>();
    TesselData *data = app->settings();
    // A file where the settings folder should be: the folder cannot be made.
    QVERIFY(writeFile(dirs->path() + "/blocker", "x"));
    const QString blocked = dirs->path() + "/blocker/cfg";

    ModalAnswerer answerer;
    for (int box = 0; box < 3; ++box)
        answerer.answerMessageBox(QMessageBox::Ok);
    // Told: the folder; the same again: not told; the value; saved; the folder.
    const QString right = data->rightPath;
    for (const auto &[cfgPath, rightPath] : {std::pair{blocked, right}, {blocked, right},
                                             {blocked, QString("a;b")}, {dirs->path(), right},
                                             {blocked, right}}) {
        data->cfgPath = cfgPath;
        data->rightPath = rightPath;
        app->slotCfgChanged();
    }

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.texts.size(), 3);
    for (const QString &text : answerer.texts)
        QVERIFY2(text.contains(blocked + "/tessel.cfg"), qPrintable(text));
    QCOMPARE(answerer.texts[2], answerer.texts[0]);
    QVERIFY(answerer.texts[1] != answerer.texts[0]);
}

// Another program's lock is one on another open file description of the
// settings folder: the test takes one as that program would.
void tst_TesselApp::secondStartOnSameSettingsWritesNothing()
{
    writeConfig(true);
    const QByteArray folder = QFile::encodeName(dirs->path());
    auto lockFolder = [&folder] {
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    };
    {
        auto first = makeApp<TesselApp>();
        QCOMPARE(lockFolder(), -1);
    }
    const QStringList files = QDir(dirs->path()).entryList(QDir::Files);
    const QByteArray before = readFile(dirs->path() + "/tessel.cfg");
    const int held = lockFolder();
    QVERIFY(held >= 0);

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Ok);
    auto second = makeApp<QuitCounter>();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(second->startRefused());
    QVERIFY(!second->browser());
    QCOMPARE(answerer.captions, QStringList("Tessel"));
    QCOMPARE(answerer.texts,
             QStringList("Tessel is already running with the settings in\n" + dirs->path()));
    second->close();
    second.reset();
    ::close(held);
    QCOMPARE(QDir(dirs->path()).entryList(QDir::Files), files);
    QCOMPARE(readFile(dirs->path() + "/tessel.cfg"), before);
}

QTEST_MAIN(tst_TesselApp)
#include "tst_tesselapp.moc"
