#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/installlayout.h"
#include "testutils.h"

// Where an installed or a built program looks for its translations and
// keeps its settings, in a folder tree of the test's own.
class tst_InstallLayout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void settingsFolder_data();
    void settingsFolder();

private:
    std::unique_ptr<QTemporaryDir> root;
    QString savedCurrent;
};

void tst_InstallLayout::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    QVERIFY(QDir().mkpath(root->filePath("prefix/bin")));
    QVERIFY(QDir().mkpath(root->filePath("work")));
    savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root->filePath("work")));
    qputenv("HOME", QFile::encodeName(root->filePath("home")));
}

void tst_InstallLayout::cleanup()
{
    QDir::setCurrent(savedCurrent);
    root.reset();
}

void tst_InstallLayout::settingsFolder_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QByteArray>("tesselCfg");
    QTest::addColumn<bool>("dataFileExists");
    QTest::addColumn<QByteArray>("xdgConfigHome");
    QTest::addColumn<QString>("expected");

    QTest::newRow("built: ./data") << false << QByteArray() << false << QByteArray() << "";
    QTest::newRow("installed: ~/.config/tessel")
        << true << QByteArray() << false << QByteArray() << "home/.config/tessel";
    QTest::newRow("installed: XDG_CONFIG_HOME/tessel")
        << true << QByteArray() << false << QByteArray("xdg") << "xdg/tessel";
    QTest::newRow("installed, ./data/tessel.cfg exists: ./data")
        << true << QByteArray() << true << QByteArray() << "";
    QTest::newRow("installed, TESSELCFG set: TESSELCFG")
        << true << QByteArray("elsewhere") << false << QByteArray() << "";
}

void tst_InstallLayout::settingsFolder()
{
    QFETCH(bool, installed);
    QFETCH(QByteArray, tesselCfg);
    QFETCH(bool, dataFileExists);
    QFETCH(QByteArray, xdgConfigHome);
    QFETCH(QString, expected);

    const QString programDir = root->filePath("prefix/bin");
    const QString translations =
        QDir::cleanPath(programDir + "/" + QStringLiteral(TESSEL_TRANSLATIONS_FROM_BINDIR));
    if (installed)
        QVERIFY(QDir().mkpath(translations));
    if (dataFileExists) {
        QVERIFY(QDir().mkpath("data"));
        QVERIFY(TestUtils::touch("data/tessel.cfg"));
    }
    qputenv("TESSELCFG", tesselCfg);
    if (xdgConfigHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root->filePath(xdgConfigHome)));

    const InstallLayout layout(programDir);
    QCOMPARE(layout.isInstalled(), installed);
    QCOMPARE(layout.settingsFolder(), expected.isEmpty() ? QString() : root->filePath(expected));
    const QStringList translationDirs =
        installed ? QStringList{".", translations} : QStringList{"."};
    QCOMPARE(layout.translationDirs(), translationDirs);
}

QTEST_MAIN(tst_InstallLayout)
#include "tst_installlayout.moc"
