#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

#include "cfgdlg.h"
#include "cfgedit.h"
#include "tesseldata.h"
#include "testutils.h"

using TestUtils::ModalAnswerer;
using TestUtils::StdoutCapture;

namespace {

using Settings = QMap<QString, QString>;

// The fourteen editable settings by name, numbers as text, so a test can
// say "everything as before except this one".
Settings editable(const TesselSettings &s)
{
    return {
        {"dataPath", s.dataPath},
        {"fileExt", s.fileExt},
        {"flashPath", s.flashPath},
        {"device", s.device},
        {"mountPoint", s.mountPoint},
        {"screenWidth", QString::number(s.screenWidth)},
        {"screenHeight", QString::number(s.screenHeight)},
        {"previewWidth", QString::number(s.previewWidth)},
        {"previewHeight", QString::number(s.previewHeight)},
        {"fullScreenWidth", QString::number(s.fullScreenWidth)},
        {"fullScreenHeight", QString::number(s.fullScreenHeight)},
        {"fullScreenRotation", QString::number(s.fullScreenRotation)},
        {"helpProg", s.helpProg},
        {"helpFile", s.helpFile},
    };
}

QStringList untouched(const TesselSettings &s)
{
    return {s.cfgPath, s.leftPath, s.rightPath, s.thumbnailSuffix};
}

QTreeWidgetItem *row(QTreeWidget *list, const QString &group, const QString &label)
{
    for (int g = 0; g < list->topLevelItemCount(); ++g) {
        QTreeWidgetItem *groupItem = list->topLevelItem(g);
        if (groupItem->text(0) != group)
            continue;
        for (int e = 0; e < groupItem->childCount(); ++e) {
            if (groupItem->child(e)->text(0) == label)
                return groupItem->child(e);
        }
    }
    return nullptr;
}

// Selects the group or entry labelled `label` as a click would.
QTreeWidgetItem *select(cfgEdit &editor, const QString &label)
{
    const QList<QTreeWidgetItem *> found =
        editor.ListView->findItems(label, Qt::MatchExactly | Qt::MatchRecursive, 0);
    if (found.isEmpty())
        return nullptr;
    editor.ListView->setCurrentItem(found.first());
    return found.first();
}

void typeInto(cfgEdit &editor, const QString &label, const QString &text)
{
    QVERIFY(select(editor, label));
    editor.LineEdit->setText(text);
}

// The chooser's own widgets, found by name in the nested dialog.
QComboBox *dirCombo(QWidget *chooser)
{
    return chooser->findChild<QComboBox *>("DirComboBox");
}

QComboBox *typeCombo(QWidget *chooser)
{
    return chooser->findChild<QComboBox *>("TypeComboBox");
}

void chooseIn(QWidget *chooser, const QString &path)
{
    QComboBox *combo = dirCombo(chooser);
    combo->setEditText(path);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    chooser->findChild<QToolButton *>("OkButton")->click();
}

void cancelChooser(QWidget *chooser)
{
    chooser->findChild<QToolButton *>("CancelButton")->click();
}

// Clicks from a fresh event-loop turn: a click that opens a nested modal
// box must not run inside the answerer's own timer slot, which cannot fire
// again until that box is gone.
void clickLater(QToolButton *button)
{
    QTimer::singleShot(0, button, &QToolButton::click);
}

} // namespace

class tst_cfgEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formPlaceholders_data();
    void formPlaceholders();
    void formSettings();
    void captionAndMaximisedFromConstructor();
    void valuesGetTheRoomAtDeviceWidth();
    void buildingLooksUpTheSettingsDirectory();

    void fourClosedGroupsInOrder();
    void controlsFollowTheSelectedRow_data();
    void controlsFollowTheSelectedRow();
    void typingFollowsIntoTheRowOnly();

    void okWithoutChange_data();
    void okWithoutChange();
    void okStores_data();
    void okStores();

    void unchangedCancelEndsAtOnce_data();
    void unchangedCancelEndsAtOnce();
    void cancelAsksAfterAChange_data();
    void cancelAsksAfterAChange();
    void secondOpeningShowsStoredValues();

    void unstorableValueRefused_data();
    void unstorableValueRefused();

    void chooserStartsWhereTheSettingSays_data();
    void chooserStartsWhereTheSettingSays();
    void chosenPathOnFlash_data();
    void chosenPathOnFlash();
    void chosenFoldersAndFiles_data();
    void chosenFoldersAndFiles();

private:
    std::unique_ptr<cfgEdit> openEditor();

    QTemporaryDir dir;
    TesselData *data = nullptr;
};

void tst_cfgEdit::initTestCase()
{
    QVERIFY(dir.isValid());
    qputenv("TESSELCFG", dir.path().toLocal8Bit());
}

void tst_cfgEdit::init()
{
    data = new TesselData;
    data->dataPath = dir.filePath("data");
    data->fileExt = "jpg";
    data->flashPath = "dcim/100olymp";
    data->device = "/dev/mmcblk0p1";
    data->mountPoint = "/mnt/cf";
    data->helpProg = "helpbrowser";
    data->helpFile = "/usr/doc/help.html";
    data->leftPath = "/mnt/cf/dcim/100olymp";
    data->rightPath = "/home/user/pictures";
    data->previewWidth = 120;
}

void tst_cfgEdit::cleanup()
{
    delete data;
    data = nullptr;
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

std::unique_ptr<cfgEdit> tst_cfgEdit::openEditor()
{
    auto editor = std::make_unique<cfgEdit>(nullptr, "ConfigEdit", true, data);
    editor->hide();
    editor->setupEdit();
    return editor;
}

void tst_cfgEdit::formPlaceholders_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("warning");

    QTest::newRow("ok button") << "OkButton" << "CfgDlg::slotOK(): Not implemented yet!";
    QTest::newRow("cancel button") << "CancelButton" << "CfgDlg::slotCancel(): Not implemented yet!";
    QTest::newRow("clear button") << "ClearButton"
                                  << "CfgDlg::slotClearLine(): Not implemented yet!";
    QTest::newRow("file selector") << "ToolButton"
                                   << "CfgDlg::slotSelectButton(): Not implemented yet!";
    QTest::newRow("typing") << "LineEdit"
                            << "CfgDlg::slotTextChanged( const QString & ): Not implemented yet!";
    QTest::newRow("row selected")
        << "ListView" << "CfgDlg::slotSelectionChanged( QListViewItem *): Not implemented yet!";
    QTest::newRow("combo slot, connected to nothing")
        << "slotComboChanged" << "CfgDlg::slotComboChanged( const QString & ): Not implemented yet!";
}

void tst_cfgEdit::formPlaceholders()
{
    QFETCH(QString, trigger);
    QFETCH(QString, warning);

    CfgDlg form;
    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    if (trigger == "LineEdit") {
        form.LineEdit->setText("x");
    } else if (trigger == "ListView") {
        auto *item = new QTreeWidgetItem(form.ListView, QStringList{"row"});
        form.ListView->setCurrentItem(item);
    } else if (trigger == "slotComboChanged") {
        form.slotComboChanged("x");
    } else {
        form.findChild<QToolButton *>(trigger)->click();
    }
}

void tst_cfgEdit::formSettings()
{
    CfgDlg unnamed;
    QCOMPARE(unnamed.objectName(), QString("CfgDlg"));
    QCOMPARE(unnamed.windowTitle(), QString("Configuration"));

    CfgDlg form(nullptr, "editor", true);
    QCOMPARE(form.objectName(), QString("editor"));
    QVERIFY(form.isModal());
    QTreeWidget *list = form.ListView;
    QCOMPARE(list->columnCount(), 2);
    QCOMPARE(list->headerItem()->text(0), QString("item"));
    QCOMPARE(list->headerItem()->text(1), QString("content"));
    QVERIFY(!list->header()->sectionsClickable());
    QVERIFY(list->header()->isSortIndicatorShown());
    QVERIFY(list->rootIsDecorated());
    QVERIFY(list->allColumnsShowFocus());
    for (QToolButton *b : {form.OkButton, form.CancelButton, form.ClearButton}) {
        QVERIFY(b->text().isEmpty());
        QCOMPARE(b->icon().availableSizes().value(0), QSize(24, 16));
    }
    QCOMPARE(form.ToolButton->text(), QString("..."));
    QCOMPARE(form.OkButton->toolTip(), QString("confirms the changes and closes the form"));
    QCOMPARE(form.CancelButton->toolTip(), QString("cancels the changes and closes the form"));
    QCOMPARE(form.ClearButton->toolTip(), QString("clear the content line"));
    QCOMPARE(form.LineEdit->toolTip(), QString("EditorLine for selected entries"));
    QCOMPARE(form.ToolButton->toolTip(), QString("Fileselector Button"));
    QCOMPARE(list->toolTip(), QString("select an item to edit"));
    QCOMPARE(list->whatsThis(), QString("ListView with TipData"));
}

// At the device's 240 pixels the labels give way, German ones too.
void tst_cfgEdit::valuesGetTheRoomAtDeviceWidth()
{
    data->mountPoint = "/media/card";
    auto editor = openEditor();
    editor->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    QTreeWidgetItem *longLabel = row(editor->ListView, "mount", "path on flash");
    QVERIFY(longLabel);
    longLabel->setText(0, "Pfad auf der Speicherkarte");
    editor->resize(240, 320);
    QTRY_COMPARE(editor->size(), QSize(240, 320));

    QTreeWidget *list = editor->ListView;
    const int viewport = list->viewport()->width();
    QVERIFY(list->columnWidth(0) <= viewport / 2);
    QCOMPARE(list->columnWidth(0) + list->columnWidth(1), viewport);
    QVERIFY(list->fontMetrics().horizontalAdvance("/media/card") < list->columnWidth(1));
    editor->hide();
}

void tst_cfgEdit::captionAndMaximisedFromConstructor()
{
    cfgEdit editor(nullptr, "ConfigEdit", true, data);
    QVERIFY(editor.isVisible());
    QVERIFY(editor.windowState() & Qt::WindowMaximized);
    editor.hide();
    QCOMPARE(editor.windowTitle(), QString("ConfigEdit"));
    QVERIFY(!editor.ListView->isSortingEnabled());

    cfgEdit unnamed(nullptr, nullptr, true, data);
    unnamed.hide();
    QCOMPARE(unnamed.windowTitle(), QString("Configuration"));
}

void tst_cfgEdit::buildingLooksUpTheSettingsDirectory()
{
    qunsetenv("TESSELCFG");
    QString printed;
    {
        StdoutCapture capture;
        cfgEdit editor(nullptr, "ConfigEdit", true, data);
        editor.hide();
        printed = TestUtils::diagnostics(capture);
    }
    qputenv("TESSELCFG", dir.path().toLocal8Bit());
    QCOMPARE(printed, QString("\nTesselData::getEnv(TESSELCFG) : not found"));
}

void tst_cfgEdit::fourClosedGroupsInOrder()
{
    data->screenWidth = 480;
    data->fullScreenRotation = -90;
    auto editor = openEditor();
    QTreeWidget *list = editor->ListView;

    const QList<QPair<QString, QStringList>> expected{
        {"common", {"data path", dir.filePath("data"), "fileextension", "jpg"}},
        {"mount",
         {"path on flash", "dcim/100olymp", "device", "/dev/mmcblk0p1", "mountpoint", "/mnt/cf"}},
        {"screensize",
         {"display width", "480", "display height", "320", "fullscreen width", "225",
          "fullscreen height", "300", "fscreen rotation", "-90", "preview width", "120",
          "preview height", "75"}},
        {"help", {"helpprog", "helpbrowser", "help file", "/usr/doc/help.html"}},
    };
    QCOMPARE(list->topLevelItemCount(), expected.size());
    for (int g = 0; g < expected.size(); ++g) {
        QTreeWidgetItem *group = list->topLevelItem(g);
        QCOMPARE(group->text(0), expected[g].first);
        QVERIFY(group->text(1).isEmpty());
        QVERIFY(!group->isExpanded());
        QStringList shown;
        for (int e = 0; e < group->childCount(); ++e)
            shown << group->child(e)->text(0) << group->child(e)->text(1);
        QCOMPARE(shown, expected[g].second);
    }
    QVERIFY(!list->currentItem());
    QVERIFY(editor->LineEdit->text().isEmpty());
    QVERIFY(!editor->LineEdit->isEnabled());
    QVERIFY(!editor->ClearButton->isEnabled());
    QVERIFY(!editor->ToolButton->isEnabled());
}

void tst_cfgEdit::controlsFollowTheSelectedRow_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("chooser");
    QTest::addColumn<bool>("lineEdit");
    QTest::addColumn<bool>("clear");

    QTest::newRow("data path") << "data path" << dir.filePath("data") << true << true << true;
    QTest::newRow("fileextension") << "fileextension" << "jpg" << false << true << true;
    QTest::newRow("path on flash") << "path on flash" << "dcim/100olymp" << true << true << true;
    QTest::newRow("device") << "device" << "/dev/mmcblk0p1" << false << true << true;
    QTest::newRow("mountpoint") << "mountpoint" << "/mnt/cf" << true << true << true;
    QTest::newRow("display width") << "display width" << "240" << false << true << true;
    QTest::newRow("preview height") << "preview height" << "75" << false << true << true;
    QTest::newRow("fscreen rotation: line only") << "fscreen rotation" << "270" << false << true
                                                 << false;
    QTest::newRow("helpprog: shown, not editable") << "helpprog" << "helpbrowser" << false
                                                    << false << false;
    QTest::newRow("help file") << "help file" << "/usr/doc/help.html" << true << true << true;
    QTest::newRow("group row") << "screensize" << "" << false << false << false;
}

void tst_cfgEdit::controlsFollowTheSelectedRow()
{
    QFETCH(QString, label);
    QFETCH(QString, content);
    QFETCH(bool, chooser);
    QFETCH(bool, lineEdit);
    QFETCH(bool, clear);

    auto editor = openEditor();
    // Start from a row that switches everything on, so "off" is a change.
    QVERIFY(select(*editor, "data path"));
    QVERIFY(select(*editor, label));
    QCOMPARE(editor->LineEdit->text(), content);
    QCOMPARE(editor->ToolButton->isEnabled(), chooser);
    QCOMPARE(editor->LineEdit->isEnabled(), lineEdit);
    QCOMPARE(editor->ClearButton->isEnabled(), clear);
}

void tst_cfgEdit::typingFollowsIntoTheRowOnly()
{
    const Settings before = editable(*data);
    auto editor = openEditor();
    QTreeWidgetItem *item = select(*editor, "device");
    QVERIFY(item);
    editor->LineEdit->selectAll();
    QTest::keyClicks(editor->LineEdit, "/dev/sdb1");
    QCOMPARE(item->text(1), QString("/dev/sdb1"));
    editor->ClearButton->click();
    QCOMPARE(item->text(1), QString(""));
    QCOMPARE(editable(*data), before);

    // After a new preparation the line editor no longer writes into rows.
    editor->setupEdit();
    editor->LineEdit->setText("stray");
    QCOMPARE(row(editor->ListView, "mount", "device")->text(1), QString("/dev/mmcblk0p1"));
}

void tst_cfgEdit::okWithoutChange_data()
{
    QTest::addColumn<bool>("modifiedBefore");
    QTest::newRow("not modified") << false;
    QTest::newRow("already modified") << true;
}

void tst_cfgEdit::okWithoutChange()
{
    QFETCH(bool, modifiedBefore);
    data->setModified(modifiedBefore);
    const Settings before = editable(*data);
    auto editor = openEditor();
    // Looking at rows and retyping the same value is no change.
    typeInto(*editor, "fscreen rotation", "270");
    typeInto(*editor, "device", "/dev/mmcblk0p1");

    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *) { editor->OkButton->click(); });
    QCOMPARE(editor->exec(), 1);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(data->isModified(), modifiedBefore);
    QCOMPARE(editable(*data), before);
}

void tst_cfgEdit::okStores_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("stored");

    QTest::newRow("rotation 270 to 90") << "fscreen rotation" << "90" << "fullScreenRotation"
                                        << "90";
    QTest::newRow("negative rotation kept") << "fscreen rotation" << "-90"
                                            << "fullScreenRotation" << "-90";
    QTest::newRow("blanks and sign allowed") << "display width" << " +480 " << "screenWidth"
                                             << "480";
    QTest::newRow("hexadecimal as in the file") << "fscreen rotation" << "0x5A"
                                                << "fullScreenRotation" << "90";
    QTest::newRow("largest preview") << "preview width" << "h1000" << "previewWidth" << "4096";
    QTest::newRow("text entry") << "data path" << "/home/user/data" << "dataPath"
                                << "/home/user/data";
    QTest::newRow("empty device stored empty") << "device" << "" << "device" << "";
    QTest::newRow("help file") << "help file" << "/opt/help/index.html" << "helpFile"
                               << "/opt/help/index.html";
    QTest::newRow("several extensions as typed") << "fileextension" << "jpg, CR2 hif"
                                                 << "fileExt" << "jpg, CR2 hif";
}

void tst_cfgEdit::okStores()
{
    QFETCH(QString, label);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QString, stored);

    Settings expected = editable(*data);
    expected[field] = stored;
    const QStringList others = untouched(*data);
    auto editor = openEditor();
    if (typed.isEmpty()) {
        QVERIFY(select(*editor, label));
        editor->ClearButton->click();
    } else {
        typeInto(*editor, label, typed);
    }
    editor->OkButton->click();
    QCOMPARE(editor->result(), 1);
    QCOMPARE(editable(*data), expected);
    QCOMPARE(untouched(*data), others);
    QVERIFY(data->isModified());
}

void tst_cfgEdit::unchangedCancelEndsAtOnce_data()
{
    QTest::addColumn<bool>("byClose");
    QTest::newRow("cancel button") << false;
    QTest::newRow("window closed") << true;
}

void tst_cfgEdit::unchangedCancelEndsAtOnce()
{
    QFETCH(bool, byClose);
    auto editor = openEditor();
    QVERIFY(select(*editor, "device"));

    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *w) {
        QCOMPARE(w, editor.get());
        if (byClose)
            w->close();
        else
            editor->CancelButton->click();
    });
    // A question box would be answered by nobody and time the test out.
    answerer.answerModal([](QWidget *w) { QFAIL(w->metaObject()->className()); });
    QCOMPARE(editor->exec(), 0);
    QCOMPARE(answerer.pending(), 1);
    QVERIFY(!data->isModified());
}

void tst_cfgEdit::cancelAsksAfterAChange_data()
{
    QTest::addColumn<bool>("byClose");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("storedRotation");

    QTest::newRow("cancel button, yes stores") << false << QMessageBox::Yes << 1 << "90";
    QTest::newRow("cancel button, no discards") << false << QMessageBox::No << 0 << "270";
    QTest::newRow("cancel button, cancel stays") << false << QMessageBox::Cancel << -1 << "270";
    QTest::newRow("window closed, yes stores") << true << QMessageBox::Yes << 1 << "90";
    QTest::newRow("window closed, no discards") << true << QMessageBox::No << 0 << "270";
    QTest::newRow("window closed, cancel stays") << true << QMessageBox::Cancel << -1 << "270";
}

void tst_cfgEdit::cancelAsksAfterAChange()
{
    QFETCH(bool, byClose);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, result);
    QFETCH(QString, storedRotation);

    auto editor = openEditor();
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *) {
        typeInto(*editor, "fscreen rotation", "90");
        if (byClose)
            QTimer::singleShot(0, editor.get(), &QWidget::close);
        else
            clickLater(editor->CancelButton);
    });
    answerer.answerMessageBox(answer);
    if (result < 0) {
        // Still open, rows as they were: end it with OK to see what it holds.
        answerer.answerModal([&](QWidget *w) {
            QCOMPARE(w, editor.get());
            QCOMPARE(row(editor->ListView, "screensize", "fscreen rotation")->text(1),
                     QString("90"));
            QCOMPARE(data->fullScreenRotation, 270);
            editor->OkButton->click();
        });
    }
    const int ended = editor->exec();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QCOMPARE(answerer.captions, QStringList{"Cancel"});
    QCOMPARE(answerer.texts,
             QStringList{"You have modified the data!\nDo you want to save the changes ?"});
    QCOMPARE(ended, result < 0 ? 1 : result);
    if (result >= 0) {
        QCOMPARE(QString::number(data->fullScreenRotation), storedRotation);
        QCOMPARE(data->isModified(), answer == QMessageBox::Yes);
    }
}

void tst_cfgEdit::secondOpeningShowsStoredValues()
{
    auto editor = openEditor();
    typeInto(*editor, "mountpoint", "/media/card");
    ModalAnswerer answerer;
    answerer.answerMessageBox(QMessageBox::No);
    editor->CancelButton->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(editor->result(), 0);

    editor->setupEdit();
    QCOMPARE(row(editor->ListView, "mount", "mountpoint")->text(1), QString("/mnt/cf"));
    QVERIFY(editor->LineEdit->text().isEmpty());
    QVERIFY(!editor->LineEdit->isEnabled());
    // Nothing left over from the discarded opening: OK leaves the data alone.
    editor->OkButton->click();
    QCOMPARE(data->mountPoint, QString("/mnt/cf"));
    QVERIFY(!data->isModified());
}

void tst_cfgEdit::unstorableValueRefused_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("viaCancelYes");

    QTest::newRow("semicolon in data path") << "data path" << "/data;x" << false;
    QTest::newRow("line break in device") << "device" << "/dev/sda1\nDATAPATH=/" << false;
    QTest::newRow("carriage return in extension") << "fileextension" << "jpg\r" << false;
    QTest::newRow("semicolon in help program") << "helpprog" << "help;rm" << false;
    QTest::newRow("not valid Unicode in help file")
        << "help file" << "/doc/" + QString(QChar(0xdc00)) + ".html" << false;
    QTest::newRow("line break in mount point, yes to question") << "mountpoint" << "/mnt\n"
                                                                << true;
    QTest::newRow("semicolon in path on flash, yes to question") << "path on flash" << "a;b"
                                                                 << true;
    QTest::newRow("cleared number") << "preview width" << "" << false;
    QTest::newRow("12x") << "display height" << "12x" << false;
    QTest::newRow("too large for an int") << "fullscreen width" << "99999999999" << false;
    QTest::newRow("size beyond 4096, yes to question") << "fullscreen height" << "4097" << true;
    QTest::newRow("size 0") << "preview width" << "0" << false;
}

void tst_cfgEdit::unstorableValueRefused()
{
    QFETCH(QString, label);
    QFETCH(QString, value);
    QFETCH(bool, viaCancelYes);

    const Settings before = editable(*data);
    auto editor = openEditor();
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *) {
        typeInto(*editor, label, value);
        typeInto(*editor, "preview height", "90");
        clickLater(viaCancelYes ? editor->CancelButton : editor->OkButton);
    });
    if (viaCancelYes)
        answerer.answerMessageBox(QMessageBox::Yes);
    answerer.answerMessageBox(QMessageBox::Ok);
    // The editor is still open; Escape ends it without storing anything.
    answerer.answerModal([&](QWidget *w) {
        QCOMPARE(w, editor.get());
        QTest::keyClick(w, Qt::Key_Escape);
    });
    QCOMPARE(editor->exec(), 0);
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QVERIFY2(answerer.texts.last().contains("\"" + label + "\""),
             qPrintable(answerer.texts.last()));
    QCOMPARE(editable(*data), before);
    QVERIFY(!data->isModified());
}

void tst_cfgEdit::chooserStartsWhereTheSettingSays_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("startDir");
    QTest::addColumn<QString>("filter");

    const QString base = dir.path();
    QTest::newRow("data path") << "data path" << base + "/data" << base + "/data" << "*";
    QTest::newRow("mountpoint always /mnt") << "mountpoint" << "/media/card" << "/mnt" << "*";
    QTest::newRow("path on flash below the mount point") << "path on flash" << "dcim/100olymp"
                                                         << "/mnt/cf/dcim/100olymp" << "*";
    QTest::newRow("help file's folder") << "help file" << "/usr/doc/help.html" << "/usr/doc"
                                        << "*.html";
    QTest::newRow("help file without folder") << "help file" << "help.html" << "help.html"
                                              << "*.html";
    QTest::newRow("empty help file lists the root") << "help file" << "" << "/" << "*.html";
}

void tst_cfgEdit::chooserStartsWhereTheSettingSays()
{
    QFETCH(QString, label);
    QFETCH(QString, setting);
    QFETCH(QString, startDir);
    QFETCH(QString, filter);

    if (label == "data path")
        data->dataPath = setting;
    else if (label == "mountpoint")
        data->mountPoint = setting;
    else if (label == "path on flash")
        data->flashPath = setting;
    else
        data->helpFile = setting;
    auto editor = openEditor();
    QTreeWidgetItem *item = select(*editor, label);
    QVERIFY(item);
    // The start comes from the settings, not from what the row holds now.
    editor->LineEdit->setText("/typed/elsewhere");

    QString shownDir;
    QString shownFilter;
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *chooser) {
        shownDir = dirCombo(chooser)->currentText();
        shownFilter = typeCombo(chooser)->currentText();
        cancelChooser(chooser);
    });
    editor->ToolButton->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(shownDir, startDir);
    QCOMPARE(shownFilter, filter);
    QCOMPARE(item->text(1), QString("/typed/elsewhere"));
}

void tst_cfgEdit::chosenPathOnFlash_data()
{
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QString>("cardMount");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("entry");

    const QString cf = dir.filePath("mnt/cf");
    const QString card = dir.filePath("media/CARD");
    QTest::newRow("below the mount point") << cf << "" << cf + "/dcim/100" << "dcim/100";
    QTest::newRow("mount point with trailing slash") << cf + "/" << "" << cf + "/dcim/100"
                                                     << "dcim/100";
    QTest::newRow("the mount point itself") << cf << "" << cf << "";
    QTest::newRow("empty mount point is the root") << "" << "" << cf + "/dcim"
                                                   << cf.mid(1) + "/dcim";
    QTest::newRow("below the card udisks2 mounted") << "" << card << card + "/DCIM" << "DCIM";
    QTest::newRow("card mounted, below the mount point") << cf << card << cf + "/dcim/100"
                                                         << "dcim/100";
    // Refused: the entry keeps what it held.
    QTest::newRow("sibling with the same prefix") << cf << "" << cf + "2/dcim" << "dcim/100olymp";
    QTest::newRow("parent of the mount point") << cf << "" << dir.filePath("mnt")
                                               << "dcim/100olymp";
    QTest::newRow("elsewhere") << cf << card << dir.filePath("other") << "dcim/100olymp";
    QTest::newRow("cancelled") << cf << "" << QString() << "dcim/100olymp";
}

void tst_cfgEdit::chosenPathOnFlash()
{
    QFETCH(QString, mountPoint);
    QFETCH(QString, cardMount);
    QFETCH(QString, chosen);
    QFETCH(QString, entry);

    for (const char *sub : {"mnt/cf/dcim/100", "mnt/cf2/dcim", "other", "media/CARD/DCIM"})
        QVERIFY(QDir(dir.path()).mkpath(sub));
    data->mountPoint = mountPoint;
    auto editor = openEditor();
    editor->setCardMountPoint(cardMount);
    QTreeWidgetItem *item = select(*editor, "path on flash");
    QVERIFY(item);

    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *chooser) {
        if (chosen.isNull())
            cancelChooser(chooser);
        else
            chooseIn(chooser, chosen);
    });
    const bool refused = !chosen.isNull() && entry == "dcim/100olymp";
    if (refused)
        answerer.answerMessageBox(QMessageBox::Ok);
    editor->ToolButton->click();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!answerer.timedOut());
    QCOMPARE(editor->LineEdit->text(), entry);
    QCOMPARE(item->text(1), entry);
    if (refused)
        QVERIFY2(answerer.texts.value(0).contains(chosen), qPrintable(answerer.texts.value(0)));
    QCOMPARE(data->flashPath, QString("dcim/100olymp"));
}

void tst_cfgEdit::chosenFoldersAndFiles_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("chosenFolder");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("entry");

    const QString base = dir.path();
    QTest::newRow("data path") << "data path" << base + "/photos" << "" << "dataPath"
                               << base + "/photos";
    QTest::newRow("mountpoint") << "mountpoint" << base + "/card" << "" << "mountPoint"
                                << base + "/card";
    QTest::newRow("help file") << "help file" << base + "/doc" << "index.html" << "helpFile"
                               << base + "/doc/index.html";
}

void tst_cfgEdit::chosenFoldersAndFiles()
{
    QFETCH(QString, label);
    QFETCH(QString, chosenFolder);
    QFETCH(QString, fileName);
    QFETCH(QString, field);
    QFETCH(QString, entry);

    QVERIFY(QDir().mkpath(chosenFolder));
    Settings expected = editable(*data);
    expected[field] = entry;
    auto editor = openEditor();
    QTreeWidgetItem *item = select(*editor, label);
    QVERIFY(item);
    ModalAnswerer answerer;
    answerer.answerModal([&](QWidget *chooser) {
        if (!fileName.isEmpty())
            chooser->findChild<QLineEdit *>("FNameLineEdit")->setText(fileName);
        chooseIn(chooser, chosenFolder);
    });
    editor->ToolButton->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(item->text(1), entry);

    editor->OkButton->click();
    QCOMPARE(editable(*data), expected);
}

QTEST_MAIN(tst_cfgEdit)
#include "tst_cfgedit.moc"
