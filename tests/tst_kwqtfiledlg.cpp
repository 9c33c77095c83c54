#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "kwqtfiledlg.h"
#include "testutils.h"

namespace {

// Records which slot the form's connections reach.
class RecordingDlg : public KwQtFileDlg
{
public:
    using KwQtFileDlg::KwQtFileDlg;

    QStringList calls;
    QTreeWidgetItem *lastItem = nullptr;

    void slotCancel() override { calls << "slotCancel"; }
    void slotDirComboBoxChanged(int index) override
    {
        calls << QString("slotDirComboBoxChanged(%1)").arg(index);
    }
    void slotDoubleClicked(QTreeWidgetItem *item) override
    {
        calls << "slotDoubleClicked";
        lastItem = item;
    }
    void slotFileTextChanged(const QString &text) override
    {
        calls << QString("slotFileTextChanged(%1)").arg(text);
    }
    void slotMkDir() override { calls << "slotMkDir"; }
    void slotOK() override { calls << "slotOK"; }
    void slotSelectionChanged(QTreeWidgetItem *item) override
    {
        calls << "slotSelectionChanged";
        lastItem = item;
    }
    void slotTypeComboBoxChanged(int index) override
    {
        calls << QString("slotTypeComboBoxChanged(%1)").arg(index);
    }
};

QWidget *child(QWidget *form, const QString &name)
{
    return form->findChild<QWidget *>(name);
}

} // namespace

class tst_KwQtFileDlg : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void objectName_data();
    void objectName();
    void dialogSettings();
    void helpTexts_data();
    void helpTexts();
    void comboBoxes();
    void listColumns();
    void buttonIcons_data();
    void buttonIcons();
    void layoutOrder();
    void connectionsReachSubclass_data();
    void connectionsReachSubclass();
    void returnOnListEntrySelectsIt();
    void stubSlotsWarn_data();
    void stubSlotsWarn();
};

void tst_KwQtFileDlg::cleanup()
{
    QVERIFY2(TestUtils::visibleTopLevels().isEmpty(),
             qPrintable(TestUtils::visibleTopLevels().join(", ")));
}

void tst_KwQtFileDlg::objectName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("nullName");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no name") << QByteArray() << true << "KwQtFileDlg";
    QTest::newRow("empty name is kept") << QByteArray("") << false << "";
    QTest::newRow("given name") << QByteArray("chooser") << false << "chooser";
}

void tst_KwQtFileDlg::objectName()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, nullName);
    QFETCH(QString, expected);
    KwQtFileDlg form(nullptr, nullName ? nullptr : name.constData());
    QCOMPARE(form.objectName(), expected);
    QCOMPARE(form.metaObject()->className(), "KwQtFileDlg");
    QCOMPARE(form.metaObject()->superClass()->className(), "QDialog");
}

void tst_KwQtFileDlg::dialogSettings()
{
    KwQtFileDlg modalForm(nullptr, nullptr, true);
    QCOMPARE(modalForm.size(), QSize(196, 279));
    QCOMPARE(modalForm.windowTitle(), QString("FileDlg"));
    QVERIFY(modalForm.isModal());
    KwQtFileDlg plainForm(nullptr, nullptr, false);
    QVERIFY(!plainForm.isModal());

    const QMetaObject *meta = modalForm.metaObject();
    QCOMPARE(meta->methodCount() - meta->methodOffset(), 8);
    const char *signatures[] = {"slotCancel()",
                           "slotDirComboBoxChanged(int)",
                           "slotDoubleClicked(QTreeWidgetItem*)",
                           "slotFileTextChanged(QString)",
                           "slotMkDir()",
                           "slotOK()",
                           "slotSelectionChanged(QTreeWidgetItem*)",
                           "slotTypeComboBoxChanged(int)"};
    for (int i = 0; i < 8; ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(method.methodSignature(), QByteArray(signatures[i]));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Public);
    }
}

void tst_KwQtFileDlg::helpTexts_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("whatsThis");
    QTest::newRow("type filter") << "TypeComboBox" << "file type filter"
                                 << "ComboBox FileTypeFilter\n\nedit or select the filter";
    QTest::newRow("OK") << "OkButton" << "confirms the selection and closes the form"
                        << "OKButton";
    QTest::newRow("cancel") << "CancelButton" << "cancels the selection and closes the form"
                            << "CancelButton";
    QTest::newRow("file name")
        << "FNameLineEdit" << "shows the selected filename"
        << "Filename LineEdit\n\nshows the selected file\nand allows the direct filename\nedit";
    QTest::newRow("directory box") << "DirComboBox" << ""
                                   << "ComboBox Directory \nedit or select the directories name";
    QTest::newRow("list") << "ListView" << "directory listview"
                          << "Directory ListView\n\nshows the list of dirs and files";
}

void tst_KwQtFileDlg::helpTexts()
{
    QFETCH(QString, widget);
    QFETCH(QString, toolTip);
    QFETCH(QString, whatsThis);
    KwQtFileDlg form;
    QWidget *w = child(&form, widget);
    QVERIFY(w);
    QCOMPARE(w->toolTip(), toolTip);
    QCOMPARE(w->whatsThis(), whatsThis);
}

void tst_KwQtFileDlg::comboBoxes()
{
    KwQtFileDlg form;
    for (QComboBox *box : {form.TypeComboBox, form.DirComboBox}) {
        QVERIFY(box->isEditable());
        QVERIFY(!box->duplicatesEnabled());
        QVERIFY(!box->completer());
    }
    QCOMPARE(form.TypeComboBox->insertPolicy(), QComboBox::InsertAtBottom);
    QCOMPARE(form.DirComboBox->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(form.DirComboBox->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

    // Without completion, a typed pattern is not turned into an older one
    // that merely starts like it or differs in case.
    form.TypeComboBox->addItem("*.HTML");
    form.TypeComboBox->lineEdit()->clear();
    QTest::keyClicks(form.TypeComboBox->lineEdit(), "*.h");
    QCOMPARE(form.TypeComboBox->currentText(), QString("*.h"));
}

void tst_KwQtFileDlg::listColumns()
{
    KwQtFileDlg form;
    QCOMPARE(form.ListView->columnCount(), 3);
    QTreeWidgetItem *header = form.ListView->headerItem();
    QCOMPARE(header->text(0), QString("Name"));
    QCOMPARE(header->text(1), QString("size"));
    QCOMPARE(header->text(2), QString("type"));
    QVERIFY(form.ListView->rootIsDecorated());
    QVERIFY(form.ListView->isSortingEnabled());
    QCOMPARE(form.ListView->header()->sortIndicatorSection(), 0);
    QCOMPARE(form.ListView->header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

void tst_KwQtFileDlg::buttonIcons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QSize>("size");
    QTest::newRow("OK: return arrow") << "OkButton" << QSize(24, 16);
    QTest::newRow("cancel: cross") << "CancelButton" << QSize(24, 16);
    QTest::newRow("make directory: new folder") << "MkDirButton" << QSize(17, 15);
}

void tst_KwQtFileDlg::buttonIcons()
{
    QFETCH(QString, button);
    QFETCH(QSize, size);
    KwQtFileDlg form;
    auto *b = qobject_cast<QToolButton *>(child(&form, button));
    QVERIFY(b);
    QVERIFY(b->text().isEmpty());
    QVERIFY(!b->icon().isNull());
    QCOMPARE(b->icon().availableSizes(), QList<QSize>{size});
    QCOMPARE(b->iconSize(), size);
    QVERIFY(!b->toolTip().isEmpty());
    QVERIFY(!b->whatsThis().isEmpty());
}

void tst_KwQtFileDlg::layoutOrder()
{
    KwQtFileDlg form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto top = [&](QWidget *w) { return w->mapTo(&form, QPoint(0, 0)).y(); };
    const auto left = [&](QWidget *w) { return w->mapTo(&form, QPoint(0, 0)).x(); };
    // Filter row, name row, directory box, list: top to bottom.
    QCOMPARE(top(form.OkButton) < top(form.FNameLineEdit), true);
    QCOMPARE(top(form.FNameLineEdit) < top(form.DirComboBox), true);
    QCOMPARE(top(form.DirComboBox) < top(form.ListView), true);
    QCOMPARE(left(form.TypeComboBox) < left(form.OkButton), true);
    QCOMPARE(left(form.OkButton) < left(form.CancelButton), true);
    QCOMPARE(left(form.FNameLineEdit) < left(form.MkDirButton), true);
    QCOMPARE(left(form.ListView), 11);
    form.hide();
}

void tst_KwQtFileDlg::connectionsReachSubclass_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("OK clicked") << "ok" << QStringList{"slotOK"};
    QTest::newRow("Return in the name field")
        << "nameReturn" << QStringList{"slotFileTextChanged(a)", "slotOK"};
    QTest::newRow("cancel clicked") << "cancel" << QStringList{"slotCancel"};
    QTest::newRow("make directory clicked") << "mkdir" << QStringList{"slotMkDir"};
    QTest::newRow("directory picked")
        << "dirPicked" << QStringList{"slotDirComboBoxChanged(1)"};
    QTest::newRow("filter typed and confirmed")
        << "typeTyped" << QStringList{"slotTypeComboBoxChanged(1)"};
    QTest::newRow("list entry selected") << "select" << QStringList{"slotSelectionChanged"};
    QTest::newRow("list entry double-clicked")
        << "doubleClick" << QStringList{"slotDoubleClicked"};
}

void tst_KwQtFileDlg::connectionsReachSubclass()
{
    QFETCH(QString, action);
    QFETCH(QStringList, expected);
    RecordingDlg form;
    form.DirComboBox->addItems({"/", "/tmp"});
    auto *entry = new QTreeWidgetItem(form.ListView, QStringList{"x", "", "dir"});
    form.calls.clear();

    if (action == "ok") {
        form.OkButton->click();
    } else if (action == "nameReturn") {
        QTest::keyClicks(form.FNameLineEdit, "a");
        QTest::keyClick(form.FNameLineEdit, Qt::Key_Return);
    } else if (action == "cancel") {
        form.CancelButton->click();
    } else if (action == "mkdir") {
        form.MkDirButton->click();
    } else if (action == "dirPicked") {
        form.DirComboBox->lineEdit()->setText("/tmp");
        QTest::keyClick(form.DirComboBox->lineEdit(), Qt::Key_Return);
    } else if (action == "typeTyped") {
        form.TypeComboBox->addItem("*");
        form.TypeComboBox->lineEdit()->setText("*.png");
        QTest::keyClick(form.TypeComboBox->lineEdit(), Qt::Key_Return);
    } else if (action == "select") {
        form.ListView->setCurrentItem(entry);
    } else if (action == "doubleClick") {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint centre = form.ListView->visualItemRect(entry).center();
        // A single click first, as a user's double click begins with one.
        QTest::mouseClick(form.ListView->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(form.ListView->viewport(), Qt::LeftButton, {}, centre);
        form.calls.removeAll("slotSelectionChanged");
        form.hide();
    }
    // The combo box reports a confirmed entry once for Return and once more
    // as the edit finishes; what matters is where the reports go.
    form.calls.removeDuplicates();
    QCOMPARE(form.calls, expected);
    if (action == "select" || action == "doubleClick")
        QCOMPARE(form.lastItem, entry);
}

void tst_KwQtFileDlg::returnOnListEntrySelectsIt()
{
    RecordingDlg form;
    new QTreeWidgetItem(form.ListView, QStringList{"a", "", "dir"});
    auto *second = new QTreeWidgetItem(form.ListView, QStringList{"b", "", "file"});
    form.ListView->setCurrentItem(second, 0, QItemSelectionModel::NoUpdate);
    form.calls.clear();

    QTest::keyClick(form.ListView, Qt::Key_Return);
    QTest::keyClick(form.ListView, Qt::Key_Enter);
    QCOMPARE(form.calls, (QStringList{"slotSelectionChanged", "slotSelectionChanged"}));
    QCOMPARE(form.lastItem, second);

    // Other keys keep their usual meaning.
    form.calls.clear();
    QTest::keyClick(form.ListView, Qt::Key_Up);
    QCOMPARE(form.ListView->currentItem()->text(0), QString("a"));
}

void tst_KwQtFileDlg::stubSlotsWarn_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("warning");
    QTest::newRow("cancel") << "cancel" << "KwQtFileDlg::slotCancel(): Not implemented yet!";
    QTest::newRow("directory box")
        << "dirBox" << "KwQtFileDlg::slotDirComboBoxChanged( int ): Not implemented yet!";
    QTest::newRow("double click")
        << "doubleClick" << "KwQtFileDlg::slotDoubleClicked(QListViewItem *): Not implemented yet!";
    QTest::newRow("file text")
        << "fileText"
        << "KwQtFileDlg::slotFileTextChanged( const QString & ): Not implemented yet!";
    QTest::newRow("make directory") << "mkdir" << "KwQtFileDlg::slotMkDir(): Not implemented yet!";
    QTest::newRow("OK") << "ok" << "KwQtFileDlg::slotOK(): Not implemented yet!";
    QTest::newRow("selection")
        << "select"
        << "KwQtFileDlg::slotSelectionChanged(QListViewItem *): Not implemented yet!";
    QTest::newRow("type box")
        << "typeBox" << "KwQtFileDlg::slotTypeComboBoxChanged( int ): Not implemented yet!";
}

void tst_KwQtFileDlg::stubSlotsWarn()
{
    QFETCH(QString, action);
    QFETCH(QString, warning);
    KwQtFileDlg form;
    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    if (action == "cancel")
        form.slotCancel();
    else if (action == "dirBox")
        form.slotDirComboBoxChanged(0);
    else if (action == "doubleClick")
        form.slotDoubleClicked(nullptr);
    else if (action == "fileText")
        form.slotFileTextChanged("x");
    else if (action == "mkdir")
        form.slotMkDir();
    else if (action == "ok")
        form.slotOK();
    else if (action == "select")
        form.slotSelectionChanged(nullptr);
    else if (action == "typeBox")
        form.slotTypeComboBoxChanged(0);
}

QTEST_MAIN(tst_KwQtFileDlg)
#include "tst_kwqtfiledlg.moc"
