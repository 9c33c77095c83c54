#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "kwqtfileedit.h"
#include "kwqtfileeditdlg.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::PermissionChecksOn;
using TestUtils::StdoutCapture;
using TestUtils::diagnostics;
using TestUtils::writeFile;

namespace {

using Chooser = std::function<QString()>;
using Steps = std::function<void(KwQtFileEditDlg *)>;

QStringList listed(KwQtFileEditDlg *dlg)
{
    return TestUtils::names(dlg->ListView);
}

QTreeWidgetItem *entry(KwQtFileEditDlg *dlg, const QString &name)
{
    for (int i = 0; i < dlg->ListView->topLevelItemCount(); ++i) {
        if (dlg->ListView->topLevelItem(i)->text(0) == name)
            return dlg->ListView->topLevelItem(i);
    }
    return nullptr;
}

QStringList comboEntries(QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// How a user moves to a list entry.
enum class Move { Select, ReturnKey, DoubleClick };

bool activate(KwQtFileEditDlg *dlg, const QString &name, Move how = Move::Select)
{
    QTreeWidgetItem *item = entry(dlg, name);
    if (!item)
        return false;
    switch (how) {
    case Move::Select:
        dlg->ListView->setCurrentItem(item);
        break;
    case Move::ReturnKey:
        dlg->ListView->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(dlg->ListView, Qt::Key_Return);
        break;
    case Move::DoubleClick:
        emit dlg->ListView->itemDoubleClicked(item, 0);
        break;
    }
    return true;
}

// Types into a combo box's edit field and confirms with Return.
void confirmInCombo(QComboBox *box, const QString &text)
{
    box->lineEdit()->setText(text);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
}

void typeName(KwQtFileEditDlg *dlg, const QString &name)
{
    dlg->FNameLineEdit->setText(name);
}

// A real double-click as the window system delivers it: press, release,
// and a second press soon after, which Qt turns into a press and a
// double-click. `between` runs after the first click.
void doubleClick(QTreeWidget *list, QTreeWidgetItem *item, const std::function<void()> &between)
{
    QWindow *window = list->window()->windowHandle();
    const QPoint at = list->viewport()->mapTo(list->window(), list->visualItemRect(item).center());
    const QPointF global = window->mapToGlobal(QPointF(at));
    for (int click = 0; click < 2; ++click) {
        if (click == 1)
            between();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QTest::lastMouseTimestamp += 50;
            const bool down = type == QEvent::MouseButtonPress;
            qt_handleMouseEvent(window, at, global, down ? Qt::LeftButton : Qt::NoButton,
                                Qt::LeftButton, type, {}, QTest::lastMouseTimestamp);
        }
    }
    QTest::lastMouseTimestamp += QTest::mouseDoubleClickInterval;
}

bool makeDirs(const QString &root, const QStringList &dirs)
{
    for (const QString &d : dirs) {
        if (!QDir().mkpath(root + "/" + d))
            return false;
    }
    return true;
}

} // namespace

class tst_KwQtFileEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void okAtOnceReturnsStartFolder_data();
    void okAtOnceReturnsStartFolder();
    void chooseDirListsDirectoriesOnly();
    void entryColumns_data();
    void entryColumns();
    void otherEntriesAreReportedNotTyped();
    void navigation_data();
    void navigation();
    void upFromRootStaysAtRoot();
    void typedDirectoryListsAtOnce();
    void filterHidesNonMatching();
    void fileNameJoinsDirectory_data();
    void fileNameJoinsDirectory();
    void makeDirectory();
    void makeDirectoryBelowRelativeFolder();
    void makeDirectoryDisabledElsewhere();
    void makeDirectoryRefusedSaysWhy_data();
    void makeDirectoryRefusedSaysWhy();
    void makeDirectoryPresetReturnsOnlyFolders();
    void doubleClickEntersOnce_data();
    void doubleClickEntersOnce();
    void appendedExtension_data();
    void appendedExtension();
    void notAcceptedReturnsEmpty_data();
    void notAcceptedReturnsEmpty();
    void historyKeepsRootAndSevenLatest();
    void historyHelpers();
    void slotsAreThePrivateOverrides();
    void oddNames_data();
    void oddNames();
    void unreadableDirectory_data();
    void unreadableDirectory();
    void largeDirectory();

private:
    void expect(bool ok, const QString &what);
    QString drive(const Chooser &choose, const Steps &steps);
    bool waitForList(KwQtFileEditDlg *dlg, const QStringList &expected);

    QTemporaryDir *tmp = nullptr;
    QString root;
    QStringList failures;
};

void tst_KwQtFileEdit::init()
{
    tmp = new QTemporaryDir;
    QVERIFY(tmp->isValid());
    root = QDir::cleanPath(tmp->path());
    failures.clear();
    QVERIFY(makeDirs(root, {"alpha", "beta/inner"}));
    QVERIFY(writeFile(root + "/notes.txt", "12345"));
    QVERIFY(writeFile(root + "/index.html", "data"));
    QVERIFY(writeFile(root + "/Zeta.html", "data"));
}

void tst_KwQtFileEdit::cleanup()
{
    delete tmp;
    tmp = nullptr;
    QVERIFY2(TestUtils::visibleTopLevels().isEmpty(),
             qPrintable(TestUtils::visibleTopLevels().join(", ")));
}

void tst_KwQtFileEdit::expect(bool ok, const QString &what)
{
    if (!ok)
        failures << what;
}

// Runs a chooser whose dialog `steps` drives. Steps end by closing the
// dialog; a dialog they leave open is cancelled, so a failed check inside
// never hangs the test.
QString tst_KwQtFileEdit::drive(const Chooser &choose, const Steps &steps)
{
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *w) {
        auto *dlg = qobject_cast<KwQtFileEditDlg *>(w);
        if (!dlg) {
            failures << QString("modal widget is a %1").arg(w->metaObject()->className());
            w->close();
            return;
        }
        steps(dlg);
        if (dlg->isVisible()) {
            failures << "the steps left the dialog open";
            dlg->reject();
        }
    });
    const QString result = choose();
    if (answerer.pending() != 0 || answerer.timedOut())
        failures << "the dialog was never answered";
    return result;
}

bool tst_KwQtFileEdit::waitForList(KwQtFileEditDlg *dlg, const QStringList &expected)
{
    const bool shown = QTest::qWaitFor([&] { return listed(dlg) == expected; }, 3000);
    expect(shown, QString("expected the list %1, it shows %2")
                      .arg(expected.join('|'), listed(dlg).join('|')));
    return shown;
}

void tst_KwQtFileEdit::okAtOnceReturnsStartFolder_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "@"
                            << "@";
    QTest::newRow("trailing slash dropped") << "@/"
                                            << "@";
    QTest::newRow("dot components resolved") << "@/beta/./inner/.."
                                             << "@/beta";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("empty start lists the root") << ""
                                                << "/";
}

void tst_KwQtFileEdit::okAtOnceReturnsStartFolder()
{
    QFETCH(QString, start);
    QFETCH(QString, expected);
    start.replace("@", root);
    expected.replace("@", root);
    const QString result =
        drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", start); },
              [&](KwQtFileEditDlg *dlg) {
                  expect(dlg->isMaximized(), "shown maximised");
                  expect(dlg->DirComboBox->currentText() == (start.isEmpty() ? "/" : start),
                         "directory box shows the start folder");
                  if (start.isEmpty())
                      expect(entry(dlg, "usr") && entry(dlg, ".."), "the root folder is listed");
                  dlg->OkButton->click();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(result, expected);
}

// What one list row shows: size and type texts, and the size of its icon
// (each of the four icons has its own).
QString describe(QTreeWidgetItem *item)
{
    if (!item)
        return "missing";
    const QList<QSize> sizes = item->icon(0).availableSizes();
    const QString icon = sizes.isEmpty()
                             ? QString("none")
                             : QString("%1x%2").arg(sizes[0].width()).arg(sizes[0].height());
    return QString("%1|%2|%3").arg(item->text(1), item->text(2), icon);
}

void tst_KwQtFileEdit::chooseDirListsDirectoriesOnly()
{
    QStringList names;
    QString parent;
    QString dir;
    const QString result = drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", root); },
                                 [&](KwQtFileEditDlg *dlg) {
                                     names = listed(dlg);
                                     parent = describe(entry(dlg, ".."));
                                     dir = describe(entry(dlg, "alpha"));
                                     dlg->CancelButton->click();
                                 });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(names, (QStringList{"..", "alpha", "beta"}));
    QCOMPARE(parent, QString("|dir|15x13"));
    QCOMPARE(dir, QString("|dir|16x16"));
    QCOMPARE(result, QString());
}

void tst_KwQtFileEdit::entryColumns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("regular file: size in bytes") << "notes.txt"
                                                 << "5|file|16x16";
    QTest::newRow("file beyond 2 GiB: size not wrapped") << "big.bin"
                                                         << "3221225472|file|16x16";
    QTest::newRow("directory") << "alpha"
                               << "|dir|16x16";
    QTest::newRow("parent directory") << ".."
                                      << "|dir|15x13";
    QTest::newRow("link to a file") << "notes.lnk"
                                    << "|link|16x16";
    QTest::newRow("link to a directory counts as one") << "alpha.lnk"
                                                       << "|dir|16x16";
    QTest::newRow("dangling link") << "gone.lnk"
                                   << "|link|16x16";
}

void tst_KwQtFileEdit::entryColumns()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QFile big(root + "/big.bin");
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(3221225472LL)); // sparse: takes no disk space
    big.close();
    QVERIFY(QFile::link(root + "/notes.txt", root + "/notes.lnk"));
    QVERIFY(QFile::link(root + "/alpha", root + "/alpha.lnk"));
    QVERIFY(QFile::link(root + "/nowhere", root + "/gone.lnk"));

    QString row;
    QString typedName;
    drive([&] { return KwQtFileEdit::chooseFile(nullptr, "", root, "*"); },
          [&](KwQtFileEditDlg *dlg) {
              row = describe(entry(dlg, name));
              if (name.endsWith(".lnk") && row.contains("link")) {
                  activate(dlg, name);
                  typedName = dlg->FNameLineEdit->text();
              }
              dlg->CancelButton->click();
          });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(row, shown);
    QVERIFY2(typedName.isEmpty(), "selecting a link does nothing");
}

void tst_KwQtFileEdit::otherEntriesAreReportedNotTyped()
{
    QVERIFY(mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600) == 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(sock >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(root + "/socket");
    QVERIFY(size_t(socketPath.size()) < sizeof(address.sun_path));
    memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const bool bound = bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    close(sock);
    QVERIFY(bound);

    QStringList fileChooserList;
    QString pipeRow;
    QString printedByFileChooser;
    QString printedBySaveChooser;
    {
        StdoutCapture out;
        drive([&] { return KwQtFileEdit::chooseFile(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  fileChooserList = listed(dlg);
                  pipeRow = describe(entry(dlg, "pipe"));
                  activate(dlg, "pipe");
                  expect(dlg->FNameLineEdit->text().isEmpty(), "selecting a pipe does nothing");
                  dlg->CancelButton->click();
              });
        printedByFileChooser = diagnostics(out);
    }

    // Only the file chooser asks for such entries.
    QStringList saveChooserList;
    {
        StdoutCapture out;
        drive([&] { return KwQtFileEdit::chooseSaveFile(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  saveChooserList = listed(dlg);
                  dlg->CancelButton->click();
              });
        printedBySaveChooser = diagnostics(out);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(pipeRow, QString("||none"));
    QVERIFY(fileChooserList.contains("pipe"));
    QVERIFY(fileChooserList.contains("socket"));
    QVERIFY(!saveChooserList.contains("pipe"));
    QVERIFY(!saveChooserList.contains("socket"));
    QCOMPARE(printedByFileChooser, QString("something else\nsomething else\n"));
    QCOMPARE(printedBySaveChooser, QString());
}

void tst_KwQtFileEdit::navigation_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("selecting") << int(Move::Select);
    QTest::newRow("Return on the entry") << int(Move::ReturnKey);
    QTest::newRow("double click") << int(Move::DoubleClick);
}

void tst_KwQtFileEdit::navigation()
{
    QFETCH(int, how);
    const Move move = Move(how);
    QString boxAfterDown;
    const QString result = drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", root); },
                                 [&](KwQtFileEditDlg *dlg) {
                                     expect(activate(dlg, "beta", move), "beta listed");
                                     if (!waitForList(dlg, {"..", "inner"}))
                                         return;
                                     boxAfterDown = dlg->DirComboBox->currentText();
                                     expect(activate(dlg, "..", move), ".. listed");
                                     if (!waitForList(dlg, {"..", "alpha", "beta"}))
                                         return;
                                     dlg->OkButton->click();
                                 });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(boxAfterDown, root + "/beta");
    QCOMPARE(result, root);
}

void tst_KwQtFileEdit::upFromRootStaysAtRoot()
{
    QString box;
    const QString result =
        drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", "/"); },
              [&](KwQtFileEditDlg *dlg) {
                  activate(dlg, "..");
                  // The refill drops the selection.
                  expect(QTest::qWaitFor([&] { return dlg->ListView->selectedItems().isEmpty(); }),
                         "list refilled");
                  box = dlg->DirComboBox->currentText();
                  dlg->OkButton->click();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(box, QString("/"));
    QCOMPARE(result, QString("/"));
}

void tst_KwQtFileEdit::typedDirectoryListsAtOnce()
{
    QStringList names;
    const QString result = drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", root); },
                                 [&](KwQtFileEditDlg *dlg) {
                                     confirmInCombo(dlg->DirComboBox, root + "/beta");
                                     names = listed(dlg); // no waiting: listed at once
                                     dlg->OkButton->click();
                                 });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(names, (QStringList{"..", "inner"}));
    QCOMPARE(result, root + "/beta");
}

void tst_KwQtFileEdit::filterHidesNonMatching()
{
    QStringList filtered;
    QStringList all;
    QString sizeOfNotes;
    drive([&] { return KwQtFileEdit::chooseFile(nullptr, "", root, "*.html"); },
          [&](KwQtFileEditDlg *dlg) {
              filtered = listed(dlg);
              confirmInCombo(dlg->TypeComboBox, "*");
              all = listed(dlg);
              dlg->CancelButton->click();
          });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(filtered, (QStringList{"Zeta.html", "index.html"}));
    // Sorted by name with upper case first.
    QCOMPARE(all, (QStringList{"..", "Zeta.html", "alpha", "beta", "index.html", "notes.txt"}));
}

void tst_KwQtFileEdit::fileNameJoinsDirectory_data()
{
    QTest::addColumn<bool>("thenEnterSubdirectory");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file selected") << false << "/notes.txt";
    QTest::newRow("file selected, then a subdirectory entered") << true << "/beta/notes.txt";
}

void tst_KwQtFileEdit::fileNameJoinsDirectory()
{
    QFETCH(bool, thenEnterSubdirectory);
    QFETCH(QString, expected);
    QString nameField;
    const QString result = drive([&] { return KwQtFileEdit::chooseFile(nullptr, "", root, "*"); },
                                 [&](KwQtFileEditDlg *dlg) {
                                     expect(activate(dlg, "notes.txt"), "notes.txt listed");
                                     nameField = dlg->FNameLineEdit->text();
                                     if (thenEnterSubdirectory) {
                                         activate(dlg, "beta");
                                         if (!waitForList(dlg, {"..", "inner"}))
                                             return;
                                     }
                                     dlg->OkButton->click();
                                 });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(nameField, QString("notes.txt"));
    QCOMPARE(result, root + expected);
}

void tst_KwQtFileEdit::makeDirectory()
{
    QString nameAfter;
    bool buttonEnabled = false;
    const QString result =
        drive([&] { return KwQtFileEdit::chooseDirMkDir(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  buttonEnabled = dlg->MkDirButton->isEnabled();
                  typeName(dlg, "new folder");
                  dlg->MkDirButton->click();
                  nameAfter = dlg->FNameLineEdit->text();
                  expect(entry(dlg, "new folder") != nullptr, "new directory listed");
                  expect(entry(dlg, "new folder") && entry(dlg, "new folder")->text(2) == "dir",
                         "new directory typed dir");
                  dlg->OkButton->click();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QVERIFY(buttonEnabled);
    QVERIFY(QFileInfo(root + "/new folder").isDir());
    QCOMPARE(nameAfter, QString());
    QCOMPARE(result, root);
}

void tst_KwQtFileEdit::makeDirectoryBelowRelativeFolder()
{
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    const QString result =
        drive([&] { return KwQtFileEdit::chooseDirMkDir(nullptr, "", "beta", "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  typeName(dlg, "made");
                  dlg->MkDirButton->click();
                  expect(entry(dlg, "made") != nullptr, "new directory listed");
                  dlg->OkButton->click();
              });
    QDir::setCurrent(saved);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QVERIFY(QFileInfo(root + "/beta/made").isDir());
    QVERIFY(!QFileInfo::exists(root + "/beta/beta"));
    QCOMPARE(result, QString("beta"));
}

void tst_KwQtFileEdit::makeDirectoryDisabledElsewhere()
{
    QList<bool> enabled;
    const Chooser choosers[] = {
        [&] { return KwQtFileEdit::chooseFile(nullptr, "", root, "*"); },
        [&] { return KwQtFileEdit::chooseSaveFile(nullptr, "", root, "*"); },
        [&] { return KwQtFileEdit::chooseDir(nullptr, "", root); },
    };
    for (const Chooser &choose : choosers) {
        drive(choose, [&](KwQtFileEditDlg *dlg) {
            enabled << dlg->MkDirButton->isEnabled();
            typeName(dlg, "never");
            dlg->CancelButton->click();
        });
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(enabled, (QList<bool>{false, false, false}));
    QVERIFY(!QFileInfo::exists(root + "/never"));
}

void tst_KwQtFileEdit::makeDirectoryRefusedSaysWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("exists") << "alpha" << QString(strerror(EEXIST));
    QTest::newRow("refused by the system") << "beta/inner/new" << QString(strerror(EACCES));
}

void tst_KwQtFileEdit::makeDirectoryRefusedSaysWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QFile::setPermissions(root + "/beta/inner", QFile::ReadOwner | QFile::ExeOwner));
    ModalAnswerer box;
    {
        PermissionChecksOn checks;
        drive([&] { return KwQtFileEdit::chooseDirMkDir(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  typeName(dlg, name);
                  box.answerMessageBox(QMessageBox::Ok);
                  dlg->MkDirButton->click();
                  dlg->CancelButton->click();
              });
    }
    QVERIFY(QFile::setPermissions(root + "/beta/inner", QFile::ReadOwner | QFile::WriteOwner |
                                                            QFile::ExeOwner));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(box.captions, QStringList{"make directory"});
    QVERIFY2(box.texts.value(0).endsWith(reason), qPrintable(box.texts.value(0)));
}

void tst_KwQtFileEdit::makeDirectoryPresetReturnsOnlyFolders()
{
    ModalAnswerer box;
    QString nameAfterSelecting;
    const QString result =
        drive([&] { return KwQtFileEdit::chooseDirMkDir(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  activate(dlg, "notes.txt");
                  nameAfterSelecting = dlg->FNameLineEdit->text();
                  typeName(dlg, "notes.txt");
                  box.answerMessageBox(QMessageBox::Ok);
                  dlg->OkButton->click();
                  expect(dlg->isVisible(), "a file is refused");
                  typeName(dlg, "alpha");
                  dlg->OkButton->click();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(nameAfterSelecting, QString());
    QCOMPARE(box.captions, QStringList{"choose directory"});
    QCOMPARE(result, root + "/alpha");
}

void tst_KwQtFileEdit::doubleClickEntersOnce_data()
{
    QTest::addColumn<bool>("refilledBetween");
    QTest::addColumn<QString>("inside"); // what lies under the pointer after entering
    QTest::newRow("second click before the refill") << false << "x/";
    QTest::newRow("refilled between, folder below") << true << "y/";
    QTest::newRow("refilled between, file below") << true << "y.jpg";
}

void tst_KwQtFileEdit::doubleClickEntersOnce()
{
    QFETCH(bool, refilledBetween);
    QFETCH(QString, inside);
    const QString start = root + "/dc";
    QVERIFY(makeDirs(start, {"x"}));
    QVERIFY(inside.endsWith('/') ? makeDirs(start + "/x", {inside})
                                 : writeFile(start + "/x/" + inside, "data"));
    inside.remove('/');
    QString nameField;
    const QString result =
        drive([&] { return KwQtFileEdit::chooseDirMkDir(nullptr, "", start, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  doubleClick(dlg->ListView, entry(dlg, "x"), [&] {
                      if (refilledBetween)
                          expect(QTest::qWaitFor([&] { return !entry(dlg, "x"); }), "refilled");
                  });
                  waitForList(dlg, {"..", inside});
                  nameField = dlg->FNameLineEdit->text();
                  dlg->OkButton->click();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(nameField, QString());
    QCOMPARE(result, start + "/x");
}

void tst_KwQtFileEdit::appendedExtension_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("extension appended") << "*.html"
                                        << "help"
                                        << "/help.html";
    QTest::newRow("name holding the extension kept") << "*.html"
                                                     << "help.html.bak"
                                                     << "/help.html.bak";
    QTest::newRow("empty name gets the extension alone") << "*.html"
                                                         << ""
                                                         << "/.html";
    QTest::newRow("only the last dot counts") << "*.tar.gz"
                                              << "backup"
                                              << "/backup.gz";
    QTest::newRow("match all appends nothing") << "*"
                                               << "help"
                                               << "/help";
    QTest::newRow("pattern without a dot appends nothing") << "help*"
                                                           << "help"
                                                           << "/help";
}

void tst_KwQtFileEdit::appendedExtension()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QString nameField;
    const QString result =
        drive([&] { return KwQtFileEdit::chooseSaveFile(nullptr, "", root, "*.html"); },
              [&](KwQtFileEditDlg *dlg) {
                  confirmInCombo(dlg->TypeComboBox, pattern);
                  typeName(dlg, name);
                  QTest::keyClick(dlg->FNameLineEdit, Qt::Key_Return);
                  nameField = dlg->FNameLineEdit->text();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(result, root + expected);
    QCOMPARE(nameField, name);
}

void tst_KwQtFileEdit::notAcceptedReturnsEmpty_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("Escape key") << "escape";
    QTest::newRow("window closed") << "close";
}

void tst_KwQtFileEdit::notAcceptedReturnsEmpty()
{
    QFETCH(QString, how);
    const QString result =
        drive([&] { return KwQtFileEdit::chooseSaveFile(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  typeName(dlg, "name");
                  if (how == "cancel")
                      dlg->CancelButton->click();
                  else if (how == "escape")
                      QTest::keyClick(dlg->FNameLineEdit, Qt::Key_Escape);
                  else
                      dlg->close();
              });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QVERIFY(result.isEmpty());
}

void tst_KwQtFileEdit::historyKeepsRootAndSevenLatest()
{
    QVERIFY(makeDirs(root, {"a/b/c/d/e/f/g/h"}));
    QStringList history;
    const QStringList steps{"a", "b", "c", "d", "e", "f", "g", "h"};
    drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", root); },
          [&](KwQtFileEditDlg *dlg) {
              for (int i = 0; i < steps.size(); ++i) {
                  activate(dlg, steps[i]);
                  const QStringList inside = i + 1 < steps.size()
                                                 ? QStringList{"..", steps[i + 1]}
                                                 : QStringList{".."};
                  if (!waitForList(dlg, inside))
                      break;
              }
              history = comboEntries(dlg->DirComboBox);
              expect(dlg->DirComboBox->currentIndex() == 7, "latest is current");
              dlg->CancelButton->click();
          });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QStringList expected{"/"};
    QString path = root + "/a";
    for (const QString &step : steps.mid(1)) {
        path += "/" + step;
        expected << path;
    }
    QCOMPARE(history, expected);
}

void tst_KwQtFileEdit::historyHelpers()
{
    KwQtFileEditDlg dlg(nullptr, nullptr, "/", "*");
    // The start entries are appended even when equal to the first.
    QCOMPARE(comboEntries(dlg.DirComboBox), (QStringList{"/", "/"}));
    QCOMPARE(comboEntries(dlg.TypeComboBox), (QStringList{"*", "*"}));

    QComboBox *box = dlg.DirComboBox;
    dlg.addToHistory(box, "/x");
    dlg.addToHistory(box, "");
    QCOMPARE(comboEntries(box), (QStringList{"/", "/", "/x"}));
    dlg.addToHistory(box, "/");
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(comboEntries(box).size(), 3);
    QVERIFY(dlg.selectInCombo(box, "/x"));
    QCOMPARE(box->currentText(), QString("/x"));
    QVERIFY(!dlg.selectInCombo(box, "/X"));
    QCOMPARE(box->currentText(), QString("/x"));
    dlg.hide();
}

void tst_KwQtFileEdit::slotsAreThePrivateOverrides()
{
    const QMetaObject &meta = KwQtFileEditDlg::staticMetaObject;
    QCOMPARE(meta.className(), "KwQtFileEditDlg");
    QCOMPARE(meta.superClass()->className(), "KwQtFileDlg");
    QStringList own;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        QCOMPARE(meta.method(i).access(), QMetaMethod::Private);
        own << meta.method(i).methodSignature();
    }
    QCOMPARE(own, (QStringList{"slotOK()", "slotCancel()", "slotDoubleClicked(QTreeWidgetItem*)",
                               "slotSelectionChanged(QTreeWidgetItem*)",
                               "slotDirComboBoxChanged(int)", "slotTypeComboBoxChanged(int)",
                               "slotFileTextChanged(QString)", "slotShowDir()", "slotMkDir()"}));
    QCOMPARE(KwQtFileEdit::staticMetaObject.className(), "KwQtFileEdit");
    KwQtFileEdit named(nullptr, "chooser");
    QCOMPARE(named.objectName(), QString("chooser"));
}

void tst_KwQtFileEdit::oddNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "two  blanks ";
    QTest::newRow("percent signs") << "100%s %d %n";
    QTest::newRow("quotes") << "it's \"quoted\"";
    QTest::newRow("leading dash") << "-rf";
    QTest::newRow("non-ASCII letters") << QString::fromUtf8("Grüße ÅÆØ 写真");
    QTest::newRow("line break") << "first\nsecond";
    QTest::newRow("backslash and star") << "a\\b*c?";
}

void tst_KwQtFileEdit::oddNames()
{
    QFETCH(QString, name);
    // A directory and, inside it, a file of the same name.
    QVERIFY(QDir(root).mkdir(name));
    QVERIFY(writeFile(root + "/" + name + "/" + name, "data"));

    bool listedAtStart = false;
    auto *out = new StdoutCapture;
    const QString result =
        drive([&] { return KwQtFileEdit::chooseFile(nullptr, "", root, "*"); },
              [&](KwQtFileEditDlg *dlg) {
                  listedAtStart = entry(dlg, name) != nullptr;
                  activate(dlg, name);
                  QStringList inside{"..", name};
                  inside.sort();
                  if (!waitForList(dlg, inside))
                      return;
                  activate(dlg, name);
                  expect(dlg->FNameLineEdit->text() == name, "name field holds the name");
                  dlg->OkButton->click();
              });
    const QString printed = diagnostics(*out);
    delete out;
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QVERIFY(listedAtStart);
    QCOMPARE(result, root + "/" + name + "/" + name);
    QVERIFY(QFileInfo(result).isFile());
    QCOMPARE(printed, QString());
}

void tst_KwQtFileEdit::unreadableDirectory_data()
{
    QTest::addColumn<bool>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("entered from the list: stays") << false << "";
    QTest::newRow("typed in the directory box: list kept") << true << "/locked";
}

void tst_KwQtFileEdit::unreadableDirectory()
{
    QFETCH(bool, typed);
    QFETCH(QString, expected);
    const QString locked = root + "/locked";
    QVERIFY(QDir(root).mkdir("locked"));
    QVERIFY(makeDirs(locked, {"sub"}));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));

    QStringList before;
    QStringList after;
    QStringList history;
    QString result;
    {
        PermissionChecksOn checks;
        result = drive([&] { return KwQtFileEdit::chooseDir(nullptr, "", root); },
                       [&](KwQtFileEditDlg *dlg) {
                           before = listed(dlg);
                           if (typed) {
                               confirmInCombo(dlg->DirComboBox, locked);
                           } else {
                               activate(dlg, "locked");
                               expect(QTest::qWaitFor(
                                          [&] { return dlg->ListView->selectedItems().isEmpty(); }),
                                      "list refilled");
                           }
                           after = listed(dlg);
                           history = comboEntries(dlg->DirComboBox);
                           dlg->OkButton->click();
                       });
    }
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(before, (QStringList{"..", "alpha", "beta", "locked"}));
    QCOMPARE(after, before);
    QVERIFY(history.contains(locked));
    QCOMPARE(result, root + expected);
}

void tst_KwQtFileEdit::largeDirectory()
{
    const int count = 10000;
    QVERIFY(QDir(root).mkdir("many"));
    for (int i = 0; i < count; ++i)
        QVERIFY(writeFile(QString("%1/many/file%2.jpg").arg(root).arg(i, 5, 10, QChar('0')), ""));
    int rows = 0;
    QString first;
    QString last;
    drive([&] { return KwQtFileEdit::chooseFile(nullptr, "", root + "/many", "*.jpg"); },
          [&](KwQtFileEditDlg *dlg) {
              rows = dlg->ListView->topLevelItemCount();
              first = dlg->ListView->topLevelItem(0)->text(0);
              last = dlg->ListView->topLevelItem(rows - 1)->text(0);
              dlg->CancelButton->click();
          });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QCOMPARE(rows, count);
    QCOMPARE(first, QString("file00000.jpg"));
    QCOMPARE(last, QString("file09999.jpg"));
}

QTEST_MAIN(tst_KwQtFileEdit)
#include "tst_kwqtfileedit.moc"
