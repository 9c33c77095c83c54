#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "tesseldata.h"
#include "tesseliocfg.h"
#include "testutils.h"

using TestUtils::StdoutCapture;
using TestUtils::readFile;
using TestUtils::writeFile;

namespace {

const QString cfgName = "tessel.cfg";

// A file with the written header and the given entry lines after [HEADER].
QByteArray fileWith(const QByteArray &entries)
{
    return "<?tessel version=\"0.1\" type=\"config\"?>\n# comment\n\n[HEADER]\n" + entries;
}

void setNonDefaults(TesselData &d)
{
    d.dataPath = QString::fromUtf8("/home/user/Изображения");
    d.flashPath = "dcim/100olymp";
    d.device = "/dev/mmcblk0p1";
    d.mountPoint = "/mnt/cf";
    d.fileExt = "jpg, CR2 hif";
    d.leftPath = "/mnt/cf/dcim";
    d.rightPath = "/home/user/Bilder (alt) = 100%";
    d.helpProg = "helpbrowser";
    d.helpFile = QString::fromLatin1("/usr/doc/h\xe9lp.html");
    d.screenWidth = 480;
    d.screenHeight = 640;
    d.previewWidth = 160;
    d.previewHeight = 120;
    d.fullScreenWidth = 450;
    d.fullScreenHeight = 600;
    d.fullScreenRotation = -90;
}

} // namespace

class tst_TesselIOCfg : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void defaults();
    void configDirectoryFromEnvironment_data();
    void configDirectoryFromEnvironment();

    void writtenFileLineByLine();
    void roundTripOfEverySetting();
    void pathRule();

    void readerCases_data();
    void readerCases();
    void readerMessages_data();
    void readerMessages();
    void fifoReadsAsMissing();

    void splitEntry_data();
    void splitEntry();
    void toIntValue_data();
    void toIntValue();

    void valueTheFileCannotHoldIsRefused_data();
    void valueTheFileCannotHoldIsRefused();
    void readOnlyDirectory_data();
    void readOnlyDirectory();
    void failedWriteKeepsOldFile();

private:
    QTemporaryDir dir;
};

void tst_TesselIOCfg::init()
{
    QVERIFY(dir.isValid());
    QFile::remove(dir.filePath(cfgName));
    qputenv("TESSELCFG", dir.path().toLocal8Bit());
}

void tst_TesselIOCfg::defaults()
{
    TesselData d;
    const QList<int> ints{d.screenWidth, d.screenHeight, d.previewWidth, d.previewHeight,
                          d.fullScreenWidth, d.fullScreenHeight, d.fullScreenRotation};
    QCOMPARE(ints, (QList<int>{240, 320, 100, 75, 225, 300, 270}));
    for (const QString *s : {&d.dataPath, &d.flashPath, &d.leftPath, &d.rightPath, &d.device,
                             &d.mountPoint, &d.fileExt, &d.helpProg, &d.helpFile})
        QVERIFY(s->isEmpty());
    QCOMPARE(d.thumbnailSuffix, QString("_thumbnail"));
    QVERIFY(!d.isModified());
    d.setModified(true);
    QVERIFY(d.isModified());
}

void tst_TesselIOCfg::configDirectoryFromEnvironment_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("cfgPath");
    QTest::addColumn<QString>("output");

    QTest::newRow("unset") << false << QByteArray() << "./data"
                           << "\nTesselData::getEnv(TESSELCFG) : not found";
    QTest::newRow("empty") << true << QByteArray("") << "./data" << "";
    QTest::newRow("trailing slash keeps it") << true << QByteArray("/etc/tessel/")
                                             << "/etc/tessel/" << "";
}

void tst_TesselIOCfg::configDirectoryFromEnvironment()
{
    QFETCH(bool, set);
    QFETCH(QByteArray, value);
    QFETCH(QString, cfgPath);
    QFETCH(QString, output);

    if (set)
        qputenv("TESSELCFG", value);
    else
        qunsetenv("TESSELCFG");
    StdoutCapture capture;
    TesselData d;
    QCOMPARE(d.cfgPath, cfgPath);
    QCOMPARE(capture.text(), output);
}

void tst_TesselIOCfg::writtenFileLineByLine()
{
    TesselData d;
    TesselIOCfg io(&d);
    QCOMPARE(io.WriteFile(dir.path(), cfgName), 0);

    const QByteArray bytes = readFile(dir.filePath(cfgName));
    QVERIFY(bytes.endsWith("\n"));
    QVERIFY(!bytes.contains('\r'));
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    QCOMPARE(lines.size(), 29);

    const QList<QByteArray> expected{
        "<?tessel version=\"0.1\" type=\"config\"?>",
        "#" + QByteArray(61, '-'),
        "# Config-File for tessel",
        "# written from tessel : 0.1.0",
        "", // date, matched below
        "", // time, matched below
        "#",
        "# File is automatically generated, dont modify manually",
        "#",
        "",
        "[HEADER]",
        "DATAPATH=;", "FLASHPATH=;", "DEVICE=;", "MOUNTPOINT=;", "FILEEXT=;",
        "LEFTPATH=;", "RIGHTPATH=;", "HELPPROG=;", "HELPFILE=;",
        "SCREEN WIDTH=240;", "SCREEN HEIGHT=320;", "PREVIEW WIDTH=100;",
        "PREVIEW HEIGHT=75;", "FULLSCREEN WIDTH=225;", "FULLSCREEN HEIGHT=300;",
        "FULLSCREEN ROTATION=270;",
        "",
        "##EOF TESSEL CONFIG FILE ",
    };
    for (int i = 0; i < 29; ++i) {
        if (i == 4 || i == 5)
            continue;
        QCOMPARE(lines.at(i), expected.at(i));
    }
    QVERIFY(QRegularExpression("^# last modified : date = \\d\\d\\.\\d\\d\\.\\d{4}$")
                .match(QString::fromLatin1(lines.at(4))).hasMatch());
    QVERIFY(QRegularExpression("^# {17}time = \\d\\d:\\d\\d:\\d\\d$")
                .match(QString::fromLatin1(lines.at(5))).hasMatch());
    QCOMPARE(lines.at(5).indexOf("time"), lines.at(4).indexOf("date"));
}

void tst_TesselIOCfg::roundTripOfEverySetting()
{
    TesselData written;
    setNonDefaults(written);
    TesselIOCfg writer(&written);
    QCOMPARE(writer.WriteFile(dir.path(), cfgName), 0);
    QVERIFY(readFile(dir.filePath(cfgName)).contains("HELPFILE=/usr/doc/h\xc3\xa9lp.html;\n"));

    TesselData read;
    TesselIOCfg reader(&read);
    StdoutCapture capture;
    QCOMPARE(reader.ReadFile(dir.path(), cfgName), 0);
    QCOMPARE(capture.text(), QString());

    const QList<QString TesselSettings::*> strings{
        &TesselSettings::dataPath, &TesselSettings::flashPath, &TesselSettings::device,
        &TesselSettings::mountPoint, &TesselSettings::fileExt, &TesselSettings::leftPath,
        &TesselSettings::rightPath, &TesselSettings::helpProg, &TesselSettings::helpFile};
    for (auto field : strings)
        QCOMPARE(read.*field, written.*field);
    const QList<int TesselSettings::*> ints{
        &TesselSettings::screenWidth, &TesselSettings::screenHeight,
        &TesselSettings::previewWidth, &TesselSettings::previewHeight,
        &TesselSettings::fullScreenWidth, &TesselSettings::fullScreenHeight,
        &TesselSettings::fullScreenRotation};
    for (auto field : ints)
        QCOMPARE(read.*field, written.*field);
}

void tst_TesselIOCfg::pathRule()
{
    TesselData d;
    TesselIOCfg io(&d);
    StdoutCapture capture;
    QCOMPARE(io.WriteFile(QString(), cfgName), -1);
    QCOMPARE(io.ReadFile(QString(), cfgName), -1);
    QCOMPARE(capture.text(), QString());

    // An empty directory means the working directory.
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QCOMPARE(io.WriteFile("", cfgName), 0);
    QDir::setCurrent(old);
    QVERIFY(QFile::exists(dir.filePath(cfgName)));

    QCOMPARE(io.WriteFile(dir.filePath("new/folder"), cfgName), 0);
    QVERIFY(QFile::exists(dir.filePath("new/folder/") + cfgName));
}

void tst_TesselIOCfg::readerCases_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("rightPath");
    QTest::addColumn<int>("rotation");
    QTest::addColumn<int>("screenWidth");

    QTest::newRow("semicolon cuts the value")
        << fileWith("RIGHTPATH=/a;b;\n\n") << "/a" << 270 << 240;
    QTest::newRow("equals sign kept in the value")
        << fileWith("RIGHTPATH=/a=b;\n\n") << "/a=b" << 270 << 240;
    QTest::newRow("0x prefix") << fileWith("FULLSCREEN ROTATION=0x5A;\n\n") << "" << 90 << 240;
    QTest::newRow("h prefix") << fileWith("FULLSCREEN ROTATION=h5A;\n\n") << "" << 90 << 240;
    QTest::newRow("0h prefix") << fileWith("FULLSCREEN ROTATION=0h5A;\n\n") << "" << 90 << 240;
    QTest::newRow("upper-case X is no prefix")
        << fileWith("FULLSCREEN ROTATION=0X5A;\n\n") << "" << 0 << 240;
    QTest::newRow("negative decimal") << fileWith("FULLSCREEN ROTATION=-90;\n\n") << "" << -90 << 240;
    QTest::newRow("blank before equals is another key")
        << fileWith("SCREEN WIDTH =480;\n\n") << "" << 270 << 240;
    QTest::newRow("later line wins")
        << fileWith("SCREEN WIDTH=480;\nSCREEN WIDTH=320;\n\n") << "" << 270 << 320;
    QTest::newRow("entries after the first empty line are not read")
        << fileWith("SCREEN WIDTH=480;\n\nRIGHTPATH=/x;\n") << "" << 270 << 480;
    QTest::newRow("keys in another order")
        << fileWith("FULLSCREEN ROTATION=0;\nRIGHTPATH=/r;\nSCREEN WIDTH=1;\n\n") << "/r" << 0 << 1;
    QTest::newRow("entry on the last line without line feed")
        << fileWith("SCREEN WIDTH=480;\nRIGHTPATH=/last;") << "/last" << 270 << 480;
    QTest::newRow("entry on the last line with line feed")
        << fileWith("RIGHTPATH=/last;\n") << "/last" << 270 << 240;
    QTest::newRow("end marker without empty line")
        << fileWith("RIGHTPATH=/r;\n##EOF TESSEL CONFIG FILE \nSCREEN WIDTH=1;\n") << "/r" << 270 << 240;
    QTest::newRow("malformed line skipped, reading goes on")
        << fileWith("RIGHTPATH=/r\nSCREEN WIDTH=480;\n\n") << "" << 270 << 480;
    QTest::newRow("section line with more text")
        << QByteArray("[HEADER] settings\nSCREEN WIDTH=480;\n\n") << "" << 270 << 480;
    QTest::newRow("UTF-8 value") << fileWith("RIGHTPATH=/home/\xd0\x98\xd0\xb7;\n\n")
                                 << QString::fromUtf8("/home/Из") << 270 << 240;
    QTest::newRow("UTF-8 after a byte-order mark")
        << QByteArray("\xef\xbb\xbf[HEADER]\nRIGHTPATH=/\xd0\x98;\n\n") << QString::fromUtf8("/И")
        << 270 << 240;
    QTest::newRow("Latin-1 of earlier versions")
        << fileWith("RIGHTPATH=/h\xe9\xd0;\n\n") << QString::fromLatin1("/h\xe9\xd0") << 270 << 240;
    QTest::newRow("carriage returns of a DOS file")
        << fileWith("SCREEN WIDTH=480;\r\nRIGHTPATH=/r;\r\n\r\n") << "/r" << 270 << 480;
}

void tst_TesselIOCfg::readerCases()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, rightPath);
    QFETCH(int, rotation);
    QFETCH(int, screenWidth);

    QVERIFY(writeFile(dir.filePath(cfgName), content));
    TesselData d;
    TesselIOCfg io(&d);
    StdoutCapture capture;
    QCOMPARE(io.ReadFile(dir.path(), cfgName), 0);
    QCOMPARE(d.rightPath, rightPath);
    QCOMPARE(d.fullScreenRotation, rotation);
    QCOMPARE(d.screenWidth, screenWidth);
}

void tst_TesselIOCfg::readerMessages_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("output");

    QTest::newRow("unknown key")
        << fileWith("SCREEN WIDTH =480;\n\n") << 0
        << "\nTesselIOCfg::ReadFile(HEADER) : unknown header-entry : SCREEN WIDTH \n";
    QTest::newRow("no section") << QByteArray("SCREEN WIDTH=480;\n\n") << -1
                                << "\nTesselIOCfg::ReadFile - section not found : HEADER\n";
    QTest::newRow("section on the last line")
        << QByteArray("# c\n[HEADER]\n") << -1
        << "\nTesselIOCfg::ReadFile - section not found : HEADER\n";
    QTest::newRow("written end marker is silent")
        << fileWith("SCREEN WIDTH=480;\n\n##EOF TESSEL CONFIG FILE \n") << 0 << "";
    QTest::newRow("end marker as last line is silent")
        << fileWith("SCREEN WIDTH=480;\n##EOF TESSEL CONFIG FILE ") << 0 << "";
    QTest::newRow("picture size beyond 4096 keeps the default")
        << fileWith("PREVIEW WIDTH=30000;\n\n") << 0
        << "\nTesselIOCfg::ReadFile(HEADER) : PREVIEW WIDTH out of range (1 to 4096) : 30000\n";
    QTest::newRow("picture size 0 keeps the default")
        << fileWith("PREVIEW WIDTH=0x0;\n\n") << 0
        << "\nTesselIOCfg::ReadFile(HEADER) : PREVIEW WIDTH out of range (1 to 4096) : 0x0\n";
}

void tst_TesselIOCfg::readerMessages()
{
    QFETCH(QByteArray, content);
    QFETCH(int, result);
    QFETCH(QString, output);

    QVERIFY(writeFile(dir.filePath(cfgName), content));
    TesselData d;
    TesselIOCfg io(&d);
    StdoutCapture capture;
    QCOMPARE(io.ReadFile(dir.path(), cfgName), result);
    QCOMPARE(capture.text(), output);
    QCOMPARE(d.previewWidth, 100);
    if (result < 0)
        QCOMPARE(d.screenWidth, 240);

    QFile::remove(dir.filePath(cfgName));
    StdoutCapture missing;
    QCOMPARE(io.ReadFile(dir.path(), cfgName), -1);
    QCOMPARE(missing.text(), "\nTesselIOCfg::ReadFile - file not found (" + dir.filePath(cfgName) + ")\n");
}

void tst_TesselIOCfg::fifoReadsAsMissing()
{
    QVERIFY(mkfifo(QFile::encodeName(dir.filePath(cfgName)).constData(), 0600) == 0);
    TesselData d;
    TesselIOCfg io(&d);
    StdoutCapture capture;
    QCOMPARE(io.ReadFile(dir.path(), cfgName), -1);
    QCOMPARE(capture.text(), "\nTesselIOCfg::ReadFile - file not found (" + dir.filePath(cfgName) + ")\n");
    // Nor is it written into, which would wait for a reader.
    QCOMPARE(io.WriteFile(dir.path(), cfgName), -1);
}

void tst_TesselIOCfg::splitEntry_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("entry") << "KEY=value;" << 0 << QStringList{"KEY", "=", "value", ""};
    QTest::newRow("rest after semicolon") << " K = v ;rest;" << 0
                                          << QStringList{" K ", "=", " v ", "rest;"};
    QTest::newRow("no equals") << "KEY value;" << -1 << QStringList{"", "", "", ""};
    QTest::newRow("no semicolon") << "KEY=value" << -1 << QStringList{"KEY", "=", "", ""};
    QTest::newRow("empty line keeps fields") << "" << -2 << QStringList{"OLD", "=", "old", "r"};
}

void tst_TesselIOCfg::splitEntry()
{
    QFETCH(QString, line);
    QFETCH(int, result);
    QFETCH(QStringList, fields);

    TesselData d;
    TesselIOCfg io(&d);
    QCOMPARE(io.splitEntry("OLD=old;r"), 0);
    QCOMPARE(io.splitEntry(line), result);
    QCOMPARE((QStringList{io.entryKey, io.entrySeparator, io.entryValue, io.entryRest}), fields);
}

void tst_TesselIOCfg::toIntValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("null") << QString() << 0;
    QTest::newRow("decimal") << "240" << 240;
    QTest::newRow("signed") << "-12" << -12;
    QTest::newRow("0x") << "0x1f" << 31;
    QTest::newRow("x") << "x10" << 16;
    QTest::newRow("h") << "h10" << 16;
    QTest::newRow("0h") << "0hff" << 255;
    QTest::newRow("upper X") << "0X10" << 0;
    QTest::newRow("upper H") << "H10" << 0;
    QTest::newRow("junk") << "12x" << 0;
    QTest::newRow("too large") << "99999999999" << 0;
}

void tst_TesselIOCfg::toIntValue()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    TesselData d;
    TesselIOCfg io(&d);
    QCOMPARE(io.toIntValue(text), value);
}

void tst_TesselIOCfg::valueTheFileCannotHoldIsRefused_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("line feed injecting an entry") << "x\nDEVICE=/dev/sda1;";
    QTest::newRow("carriage return") << "x\rDEVICE=/dev/sda1;";
    QTest::newRow("semicolon") << "/pics;old";
    QTest::newRow("not valid Unicode") << "/fotos/" + QString(QChar(0xd800));
}

void tst_TesselIOCfg::valueTheFileCannotHoldIsRefused()
{
    QFETCH(QString, value);

    TesselData d;
    TesselIOCfg io(&d);
    QCOMPARE(io.WriteFile(dir.path(), cfgName), 0);
    const QByteArray before = readFile(dir.filePath(cfgName));

    d.rightPath = value;
    StdoutCapture capture;
    QCOMPARE(io.WriteFile(dir.path(), cfgName), -1);
    QVERIFY2(capture.text().contains("RIGHTPATH cannot be stored"), qPrintable(capture.text()));
    QCOMPARE(readFile(dir.filePath(cfgName)), before);
}

void tst_TesselIOCfg::readOnlyDirectory_data()
{
    QTest::addColumn<bool>("fileWritable");
    QTest::newRow("writable file saved in place") << true;
    QTest::newRow("read-only file kept") << false;
}

void tst_TesselIOCfg::readOnlyDirectory()
{
    QFETCH(bool, fileWritable);
    const QString path = dir.filePath(cfgName);
    TesselData d;
    TesselIOCfg io(&d);
    QCOMPARE(io.WriteFile(dir.path(), cfgName), 0);
    const QByteArray before = readFile(path);

    if (!fileWritable)
        QFile::setPermissions(path, QFile::ReadOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    d.screenWidth = 999;
    int result;
    QString output;
    {
        TestUtils::PermissionChecksOn permissions;
        StdoutCapture capture;
        result = io.WriteFile(dir.path(), cfgName);
        output = capture.text();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    QCOMPARE(result, fileWritable ? 0 : -1);
    QCOMPARE(readFile(path) == before, !fileWritable);
    if (!fileWritable)
        QCOMPARE(output, "\nTesselIOCfg::WriteFile(" + path + ") : file not open\n");
}

void tst_TesselIOCfg::failedWriteKeepsOldFile()
{
    TesselData d;
    TesselIOCfg io(&d);
    QCOMPARE(io.WriteFile(dir.path(), cfgName), 0);
    const QByteArray before = readFile(dir.filePath(cfgName));

    d.screenWidth = 999;
    int result;
    QString output;
    {
        // A file size limit makes the writes fail after the file was opened,
        // as a full disk would.
        TestUtils::FileSizeLimit fullDisk(100);
        StdoutCapture capture;
        result = io.WriteFile(dir.path(), cfgName);
        output = capture.text();
    }

    QCOMPARE(result, -1);
    QVERIFY2(output.startsWith("\nTesselIOCfg::WriteFile(" + dir.filePath(cfgName) + ") : write failed"),
             qPrintable(output));
    QCOMPARE(readFile(dir.filePath(cfgName)), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{cfgName});
}

QTEST_GUILESS_MAIN(tst_TesselIOCfg)
#include "tst_tesseliocfg.moc"
