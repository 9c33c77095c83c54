#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/installlayout.h"
#include "testutils.h"

// Where a built or an installed program finds its translations and keeps
// its settings, in a folder tree of the test's own.
class tst_InstallLayout : public QObject
{
    Q_OBJECT
private slots:
    void settingsAndTranslations_data();
    void settingsAndTranslations();
};

void tst_InstallLayout::settingsAndTranslations_data()
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

void tst_InstallLayout::settingsAndTranslations()
{
    QFETCH(bool, installed);
    QFETCH(QByteArray, tesselCfg);
    QFETCH(bool, dataFileExists);
    QFETCH(QByteArray, xdgConfigHome);
    QFETCH(QString, expected);

    QTemporaryDir root;
    const QString programDir = root.filePath("prefix/bin");
    const QString translations =
        QDir::cleanPath(programDir + "/" + QStringLiteral(TESSEL_TRANSLATIONS_FROM_BINDIR));
    QVERIFY(QDir().mkpath(installed ? translations : programDir));
    QVERIFY(QDir().mkpath(root.filePath("work/data")));
    if (dataFileExists)
        QVERIFY(TestUtils::touch(root.filePath("work/data/tessel.cfg")));
    const QString savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.filePath("work")));
    qputenv("HOME", QFile::encodeName(root.filePath("home")));
    qputenv("TESSELCFG", tesselCfg);
    qputenv("XDG_CONFIG_HOME", xdgConfigHome.isEmpty() ? QByteArray()
                                                       : QFile::encodeName(root.filePath(xdgConfigHome)));

    const InstallLayout layout(programDir);
    const QString folder = layout.settingsFolder();
    const QStringList dirs = layout.translationDirs();
    QDir::setCurrent(savedCurrent);
    QCOMPARE(folder, expected.isEmpty() ? QString() : root.filePath(expected));
    QCOMPARE(dirs, installed ? QStringList({".", translations}) : QStringList({"."}));
}

QTEST_MAIN(tst_InstallLayout)
#include "tst_installlayout.moc"
