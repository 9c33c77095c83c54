// Drives the whole program as a user would: the main window with its
// settings file, a card folder of real pictures and a destination folder,
// buttons clicked, dialogs and questions answered, files checked on disk.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "appfixture.h"
#include "tesselview.h"
#include "cfgedit.h"
#include "tesseldata.h"
#include "fakesystemcalls.h"
#include "kwqtfileeditdlg.h"
#include "fullpic.h"
#include "progressedit.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::names;
using TestUtils::readFile;
using TestUtils::writeFile;

namespace {

const QSize previewSize(100, 75);
const QSize fullScreenSize(200, 280);
const QStringList cardPictures = {"beach.jpg", "city.jpg", "forest.jpg"};

QTreeWidgetItem *child(QTreeWidgetItem *parent, const QString &label)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == label)
            return parent->child(i);
    }
    return nullptr;
}

progressEdit *progressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *progress = qobject_cast<progressEdit *>(w))
            return progress;
    }
    return nullptr;
}

} // namespace

class tst_EndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void previewAndCopy();
    void sourceThumbnails();
    void copyDuringDestinationThumbnails();
    void fullScreenView();
    void changeDestination();
    void createDestinationFolder();
    void deleteOneDestinationPicture();
    void deleteAllSourcePictures();
    void changeSetting();
    void quitAfterChange();

private:
    QString path(const QString &relative) const { return dirs->path() + "/" + relative; }
    QString card() const { return path("card/dcim"); }
    QString dest() const { return path("dest"); }
    QString cfgLine(const QString &key) const;
    QToolButton *button(const char *name) const;
    // A command's job holds the setup button until it ends.
    bool jobEnded() const { return button("SetupToolButton")->isEnabled(); }
    QTreeWidget *list(const char *name) const;
    bool select(QTreeWidget *pane, const QString &name);
    template <typename Dialog>
    void clickIntoDialog(const char *buttonName, const std::function<void(Dialog *)> &steps);
    void setRotationInEditor(const QString &text);

    std::unique_ptr<QTemporaryDir> dirs;
    std::unique_ptr<FakeSystemCalls> calls;
    AppPtr<QuitCounter> app;
    QStringList failures;
};

void tst_EndToEnd::init()
{
    dirs = std::make_unique<QTemporaryDir>();
    QVERIFY(dirs->isValid());
    for (const QString &dir : {card(), dest(), path("album")})
        QVERIFY(QDir().mkpath(dir));
    for (const QString &name : cardPictures)
        QVERIFY(TestUtils::writePicture(card() + "/" + name, QSize(320, 240)));
    QVERIFY(TestUtils::writePicture(dest() + "/kept.jpg", QSize(160, 120)));
    QVERIFY(TestUtils::writePicture(dest() + "/old.jpg", QSize(160, 120)));
    QVERIFY(TestUtils::writePicture(path("album/harbour.jpg"), QSize(160, 120)));

    const QByteArray root = QFile::encodeName(dirs->path());
    QVERIFY(writeFile(path("tessel.cfg"),
                      "[HEADER]\nFLASHPATH=dcim;\nDEVICE=/dev/tessel-card;\n"
                      "MOUNTPOINT=" + root + "/card;\nFILEEXT=jpg;\n"
                      "LEFTPATH=/elsewhere;\nRIGHTPATH=" + root + "/dest;\n"
                      "PREVIEW WIDTH=100;\nPREVIEW HEIGHT=75;\n"
                      "FULLSCREEN WIDTH=200;\nFULLSCREEN HEIGHT=280;\n"
                      "FULLSCREEN ROTATION=270;\n\n##EOF\n"));
    qputenv("TESSELCFG", root);
    calls = std::make_unique<FakeSystemCalls>();
    failures.clear();

    app.reset(new QuitCounter);
    QVERIFY(app->browser()->isMounted());
    QCOMPARE(names(list("LeftListView")), cardPictures);
    QCOMPARE(names(list("RightListView")), (QStringList{"kept.jpg", "old.jpg"}));
}

void tst_EndToEnd::cleanup()
{
    // The card only counts as mounted: nothing may have been mounted for real.
    const QStringList mounts = calls ? calls->callsOf("mount") : QStringList();
    app.reset();
    calls.reset();
    dirs.reset();
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
    QCOMPARE(mounts, QStringList());
}

// The line of the settings file that holds `key`, as written.
QString tst_EndToEnd::cfgLine(const QString &key) const
{
    const QStringList lines = QString::fromLatin1(readFile(path("tessel.cfg"))).split('\n');
    const QStringList found = lines.filter(QRegularExpression("^" + key + "="));
    return found.size() == 1 ? found.first() : QString("<%1 lines>").arg(found.size());
}

QToolButton *tst_EndToEnd::button(const char *name) const
{
    auto *b = app->findChild<QToolButton *>(name);
    if (!b)
        qFatal("the main screen has no tool button %s", name);
    return b;
}

QTreeWidget *tst_EndToEnd::list(const char *name) const
{
    auto *l = app->findChild<QTreeWidget *>(name);
    if (!l)
        qFatal("the main screen has no list %s", name);
    return l;
}

bool tst_EndToEnd::select(QTreeWidget *pane, const QString &name)
{
    const QList<QTreeWidgetItem *> found = pane->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        return false;
    pane->setCurrentItem(found.first());
    // A picture of the browser decoded for the preview shows once it is in.
    const bool browserPane = pane == list("LeftListView") || pane == list("RightListView");
    return !browserPane ||
           QTest::qWaitFor([this] { return button("ShowFullToolButton")->isEnabled(); }, 5000);
}

// Clicks a button that opens a modal dialog of the given class and runs
// `steps` on it. Steps end by closing the dialog; one they leave open is
// rejected, so a failed step never hangs the test. Problems land in
// `failures`.
template <typename Dialog>
void tst_EndToEnd::clickIntoDialog(const char *buttonName,
                                   const std::function<void(Dialog *)> &steps)
{
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *w) {
        if (auto *dialog = qobject_cast<Dialog *>(w))
            steps(dialog);
        else
            failures << QString("modal widget is a %1").arg(w->metaObject()->className());
        if (w->isVisible()) {
            failures << "the steps left the dialog open";
            if (auto *d = qobject_cast<QDialog *>(w))
                d->reject();
        }
    });
    if (!button(buttonName)->isEnabled())
        failures << QString("%1 is disabled").arg(buttonName);
    button(buttonName)->click();
    if (answerer.pending() != 0 || answerer.timedOut())
        failures << QString("%1 opened no dialog").arg(buttonName);
}

void tst_EndToEnd::setRotationInEditor(const QString &text)
{
    clickIntoDialog<cfgEdit>("SetupToolButton", [&](cfgEdit *editor) {
        QTreeWidget *tree = editor->ListView;
        const QList<QTreeWidgetItem *> groups = tree->findItems("screensize", Qt::MatchExactly);
        QTreeWidgetItem *row = groups.size() == 1 ? child(groups.first(), "fscreen rotation") : nullptr;
        if (!row) {
            failures << "no row screensize/fscreen rotation";
            return;
        }
        groups.first()->setExpanded(true);
        tree->setCurrentItem(row);
        QLineEdit *line = editor->LineEdit;
        line->selectAll();
        QTest::keyClicks(line, text);
        editor->OkButton->click();
    });
}

void tst_EndToEnd::previewAndCopy()
{
    QVERIFY(select(list("LeftListView"), "city.jpg"));
    QCOMPARE(app->browser()->PixmapLabel->pixmap().size(), previewSize);
    QVERIFY(button("LeftCopyToolButton")->isEnabled());

    button("LeftCopyToolButton")->click();


    QTRY_VERIFY(jobEnded());
    const QByteArray original = readFile(card() + "/city.jpg");
    QCOMPARE(readFile(dest() + "/city.jpg"), original);
    QCOMPARE(names(list("RightListView")), (QStringList{"city.jpg", "kept.jpg", "old.jpg"}));

    // A different file under the same name shows which answer replaced it.
    QVERIFY(writeFile(dest() + "/city.jpg", "edited elsewhere"));
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::No);
    button("LeftCopyToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QCOMPARE(readFile(dest() + "/city.jpg"), QByteArray("edited elsewhere"));

    answerer.answerMessageBox(QMessageBox::Yes);
    button("LeftCopyToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QCOMPARE(readFile(dest() + "/city.jpg"), original);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList(2, "copy file"));
    QCOMPARE(answerer.texts, QStringList(2, "destination file exists!\noverwrite ?"));
}

void tst_EndToEnd::sourceThumbnails()
{
    button("LeftThumbnailButton")->click();
    progressEdit *progress = progressWindow();
    QVERIFY(progress);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->windowTitle(), QString("save source thumbnails"));
    QVERIFY(!list("LeftListView")->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(!progress->isVisible(), 10000);
    QVERIFY(list("LeftListView")->isEnabled());
    for (const QString &name : cardPictures) {
        const QImage thumb(card() + "/_thumbnail/" + name + ".png");
        QVERIFY2(!thumb.isNull(), qPrintable(name));
        QCOMPARE(thumb.size(), previewSize);
    }

    // Marked in one colour, the thumbnail tells itself from a scaled picture.
    QImage marked(previewSize, QImage::Format_RGB32);
    marked.fill(Qt::magenta);
    QVERIFY(marked.save(card() + "/_thumbnail/forest.jpg.png", "PNG"));
    QVERIFY(select(list("LeftListView"), "forest.jpg"));
    const QImage shown = app->browser()->PixmapLabel->pixmap().toImage();
    QCOMPARE(shown.size(), previewSize);
    QCOMPARE(shown.pixelColor(50, 37), QColor(Qt::magenta));
}

// The copy refills the pane whose thumbnails are being made; the run must
// never reach the items that refill deleted, and must still come to an end.
void tst_EndToEnd::copyDuringDestinationThumbnails()
{
    button("RightThumbnailButton")->click();
    QVERIFY(progressWindow()->isVisible());
    QVERIFY(!list("RightListView")->isEnabled());

    QVERIFY(select(list("LeftListView"), "city.jpg"));
    button("LeftCopyToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QCOMPARE(names(list("RightListView")), (QStringList{"city.jpg", "kept.jpg", "old.jpg"}));
    QTRY_VERIFY_WITH_TIMEOUT(!progressWindow()->isVisible(), 10000);
    QVERIFY(list("RightListView")->isEnabled());
}

void tst_EndToEnd::fullScreenView()
{
    QVERIFY(select(list("LeftListView"), "beach.jpg"));
    QSize shown;
    clickIntoDialog<FullPic>("ShowFullToolButton", [&](FullPic *viewer) {
        // The view opens at once; its picture follows from the load queue.
        QTRY_VERIFY_WITH_TIMEOUT(!viewer->PixmapLabel->pixmap().isNull(), 10000);
        shown = viewer->PixmapLabel->pixmap().size();
        viewer->close();
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(shown, fullScreenSize);
    QVERIFY(!app->browser()->findChild<FullPic *>()->isVisible());
}

void tst_EndToEnd::changeDestination()
{
    QCOMPARE(cfgLine("RIGHTPATH"), "RIGHTPATH=" + dest() + ";");
    clickIntoDialog<KwQtFileEditDlg>("RightChdirToolButton", [&](KwQtFileEditDlg *dialog) {
        QComboBox *combo = dialog->DirComboBox;
        combo->lineEdit()->setText(path("album"));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        dialog->OkButton->click();
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));

    QCOMPARE(cfgLine("RIGHTPATH"), "RIGHTPATH=" + path("album") + ";");
    // The file is rewritten whole: the source stays on the card.
    QCOMPARE(cfgLine("LEFTPATH"), "LEFTPATH=" + card() + ";");
    QCOMPARE(names(list("RightListView")), QStringList{"harbour.jpg"});
    QCOMPARE(list("RightListView")->headerItem()->text(0), path("album"));
}

void tst_EndToEnd::createDestinationFolder()
{
    clickIntoDialog<KwQtFileEditDlg>("RightMkdirToolButton", [&](KwQtFileEditDlg *dialog) {
        dialog->FNameLineEdit->setText("holiday");
        dialog->MkDirButton->click();
        QTreeWidget *entries = dialog->ListView;
        if (!select(entries, "holiday")) {
            failures << "new folder not listed: " + names(entries).join('|');
            return;
        }
        // A new folder is empty but for the way back up.
        if (!QTest::qWaitFor([&] { return names(entries) == QStringList{".."}; }, 3000))
            failures << "inside the new folder: " + names(entries).join('|');
        dialog->OkButton->click();
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));

    QVERIFY(QFileInfo(dest() + "/holiday").isDir());
    QCOMPARE(cfgLine("RIGHTPATH"), "RIGHTPATH=" + dest() + "/holiday;");
    QCOMPARE(app->settings()->rightPath, dest() + "/holiday");
    // The pane follows at once, so no old name can be deleted in the new folder.
    QVERIFY(names(list("RightListView")).isEmpty());
    QVERIFY(!button("RightDeleteToolButton")->isEnabled());
}

void tst_EndToEnd::deleteOneDestinationPicture()
{
    QVERIFY(select(list("RightListView"), "old.jpg"));
    QVERIFY(button("RightDeleteToolButton")->isEnabled());
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::No);
    button("RightDeleteToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QVERIFY(QFile::exists(dest() + "/old.jpg"));

    answerer.answerMessageBox(QMessageBox::Yes);
    button("RightDeleteToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList(2, "delete file"));
    QCOMPARE(answerer.texts, QStringList(2, dest() + "/old.jpg"));
    QVERIFY(!QFile::exists(dest() + "/old.jpg"));
    QVERIFY(QFile::exists(dest() + "/kept.jpg"));
    QCOMPARE(names(list("RightListView")), QStringList{"kept.jpg"});
}

void tst_EndToEnd::deleteAllSourcePictures()
{
    QVERIFY(QDir().mkpath(card() + "/_thumbnail"));
    QVERIFY(TestUtils::writePicture(card() + "/_thumbnail/city.jpg.png", previewSize, "PNG"));
    QVERIFY(button("LeftDeleteToolButton")->isEnabled());
    const int pictures = list("LeftListView")->topLevelItemCount();

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::No);
    button("LeftDeleteToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QCOMPARE(answerer.texts.value(0),
             "You try to delete all files in the left dir\nAre you sure ?\n path is \n" + card() +
                 QString("\n%1 of them have no proven copy in the destination !").arg(pictures));

    // Emptying a card: select all, copy, delete all.
    QTest::keyClick(list("LeftListView"), Qt::Key_A, Qt::ControlModifier);
    button("LeftCopyToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QTRY_VERIFY(!progressWindow()->isVisible());
    answerer.texts.clear();
    answerer.captions.clear();
    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Yes);
    button("LeftDeleteToolButton")->click();
    QTRY_VERIFY(jobEnded());
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.captions, QStringList(2, "delete all files"));
    QCOMPARE(answerer.texts.value(0),
             "You try to delete all files in the left dir\nAre you sure ?\n path is \n" + card());
    QCOMPARE(answerer.texts.value(1), QString("really ?"));

    QCOMPARE(QDir(card()).entryList(QDir::Files), QStringList());
    QCOMPARE(names(list("LeftListView")), QStringList());
    QVERIFY(QFile::exists(card() + "/_thumbnail/city.jpg.png"));
    QCOMPARE(names(list("RightListView")).size(), pictures + 2);
}

void tst_EndToEnd::changeSetting()
{
    QCOMPARE(cfgLine("FULLSCREEN ROTATION"), QString("FULLSCREEN ROTATION=270;"));
    setRotationInEditor("90");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));

    QCOMPARE(cfgLine("FULLSCREEN ROTATION"), QString("FULLSCREEN ROTATION=90;"));
    QCOMPARE(cfgLine("FULLSCREEN WIDTH"), QString("FULLSCREEN WIDTH=200;"));
    QCOMPARE(cfgLine("RIGHTPATH"), "RIGHTPATH=" + dest() + ";");
    QVERIFY(app->settings()->isModified());
}

void tst_EndToEnd::quitAfterChange()
{
    setRotationInEditor("0");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));

    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::Cancel);
    QVERIFY(!app->close());
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(app->quits, 0);
    QVERIFY(app->isVisible());

    answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::No);
    QVERIFY(!app->close());
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QCOMPARE(answerer.captions, (QStringList{"Quit ... ", "Quit ... ", "Quit..."}));
    QCOMPARE(answerer.texts.value(2), QString("flashdisk is still mounted\nunmount it"));
    QCOMPARE(app->quits, 1);
    QCOMPARE(calls->callsOf("umount"), QStringList());
    QVERIFY(app->browser()->isMounted());
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
