#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "installlayout.h"
#include "tesseldata.h"
#include "tesseliocfg.h"
#include "filekind.h"
#include "folder.h"
#include "testutils.h"

namespace {

QString installedTranslations(const QString &programDir)
{
    return QDir::cleanPath(programDir + "/" + QStringLiteral(TESSEL_TRANSLATIONS_FROM_BINDIR));
}

} // namespace

// Where a built or an installed program finds its translations and keeps
// its settings, in a folder tree of the test's own.
class tst_InstallLayout : public QObject
{
    Q_OBJECT
private slots:
    void settingsAndTranslations_data();
    void settingsAndTranslations();
    void firstSettings_data();
    void firstSettings();
    void catalogueOfLocale_data();
    void catalogueOfLocale();
    void everyKindListedAtFirst_data();
    void everyKindListedAtFirst();
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
    const QString translations = installedTranslations(programDir);
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

void tst_InstallLayout::firstSettings_data()
{
    QTest::addColumn<bool>("picturesExists");
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("Pictures folder: the destination") << true << false;
    QTest::newRow("no Pictures folder: no destination") << false << false;
    QTest::newRow("settings there: left alone") << true << true;
}

void tst_InstallLayout::firstSettings()
{
    QFETCH(bool, picturesExists);
    QFETCH(bool, fileExists);
    QTemporaryDir root;
    qputenv("HOME", QFile::encodeName(root.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config")));
    if (picturesExists)
        QVERIFY(QDir().mkpath(root.filePath("Pictures")));
    const QString cfg = root.filePath("config/tessel/tessel.cfg");
    QVERIFY(QDir().mkpath(root.filePath("config/tessel")));
    if (fileExists)
        QVERIFY(TestUtils::writeFile(cfg, "mine"));

    QCOMPARE(InstallLayout::writeFirstSettings(root.filePath("config/tessel")), !fileExists);
    const QByteArray written = TestUtils::readFile(cfg);
    if (fileExists) {
        QCOMPARE(written, QByteArray("mine"));
        return;
    }
    QVERIFY(written.contains("\nRIGHTPATH=" +
                             (picturesExists ? QFile::encodeName(root.filePath("Pictures")) : "") +
                             ";\n"));
    QVERIFY(written.contains("\nSCREEN WIDTH=240;\n"));
    QVERIFY(written.contains("\nMOUNTPOINT=;\n"));
}

void tst_InstallLayout::catalogueOfLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("language");

    QTest::newRow("German") << "de_DE" << false << "de_DE";
    QTest::newRow("English of the US") << "en_US" << false << "en";
    QTest::newRow("C, installed") << "C" << true << "en";
    QTest::newRow("no catalogue of its own") << "fr_FR" << false << "en";
}

// The built catalogues, found beside the program or where it is installed.
void tst_InstallLayout::catalogueOfLocale()
{
    QFETCH(QString, locale);
    QFETCH(bool, installed);
    QFETCH(QString, language);

    QTemporaryDir root;
    const QString programDir = root.filePath("prefix/bin");
    const QString translations = installedTranslations(programDir);
    const QString holder = installed ? translations : root.path();
    QVERIFY(QDir().mkpath(holder));
    for (const char *catalogue : {"vandro.de_DE.qm", "vandro.en.qm"})
        QVERIFY(QFile::copy(QStringLiteral(TESSEL_CATALOGUES_DIR "/") + catalogue,
                            holder + "/" + catalogue));
    const QString savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.path()));
    QTranslator translator;
    const bool loaded = InstallLayout(programDir).loadTranslation(translator, locale);
    QDir::setCurrent(savedCurrent);
    QVERIFY(loaded);
    QCOMPARE(translator.language(), language);
}

// Both ways a first start gets its settings: the installed program's own,
// and the sample a checkout starts from.
void tst_InstallLayout::everyKindListedAtFirst_data()
{
    QTest::addColumn<QString>("settingsFolder");
    QTest::newRow("installed first start") << QString();
    QTest::newRow("docs/tessel.cfg.sample") << QStringLiteral(TESSEL_SOURCE_DIR "/docs");
}

void tst_InstallLayout::everyKindListedAtFirst()
{
    QFETCH(QString, settingsFolder);
    QTemporaryDir root;
    QString file = "tessel.cfg";
    if (settingsFolder.isEmpty()) {
        settingsFolder = root.path();
        QVERIFY(InstallLayout::writeFirstSettings(settingsFolder));
    } else {
        file = "tessel.cfg.sample";
    }
    TesselData data;
    QCOMPARE(TesselIOCfg(&data).ReadFile(settingsFolder, file), 0);
    const QStringList patterns = Folder::extensionPatterns(data.fileExt);
    for (const FileKind::Kind kind :
         {FileKind::Jpeg, FileKind::Heif, FileKind::Raw, FileKind::Video}) {
        for (const QByteArray &extension : FileKind::extensions(kind))
            QVERIFY2(patterns.contains("*." + extension, Qt::CaseInsensitive), extension);
    }
}

QTEST_MAIN(tst_InstallLayout)
#include "tst_installlayout.moc"
