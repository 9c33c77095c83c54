#include <QTest>

#include "filekind.h"

// What a file is by its name, as the listing, the loader and the copy see it.
class tst_FileKind : public QObject
{
    Q_OBJECT
private slots:
    void kindOfName_data();
    void kindOfName();
};

void tst_FileKind::kindOfName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    const QList<std::pair<const char *, FileKind::Kind>> rows = {
        {"a.JPG", FileKind::Jpeg},   {"a.jpeg", FileKind::Jpeg},  {"A.CR2", FileKind::Raw},
        {"a.cr3", FileKind::Raw},    {"a.Crw", FileKind::Raw},    {"a.Nef", FileKind::Raw},
        {"a.ARW", FileKind::Raw},    {"a.dng", FileKind::Raw},    {"a.RAF", FileKind::Raw},
        {"a.orf", FileKind::Raw},    {"a.RW2", FileKind::Raw},    {"a.pef", FileKind::Raw},
        {"GOPR1.GPR", FileKind::Raw}, {"a.HIF", FileKind::Heif},  {"a.heic", FileKind::Heif},
        {"a.Heif", FileKind::Heif},  {"a.MOV", FileKind::Video},  {"a.mp4", FileKind::Video},
        {"a.AVI", FileKind::Video},  {"00000.MTS", FileKind::Video}, {"a.m2ts", FileKind::Video},
        {"a.THM", FileKind::Side},   {"a.xmp", FileKind::Side},   {"a.WAV", FileKind::Side},
        {"C0001M01.XML", FileKind::Side}, {"a.png", FileKind::Other}, {"mov", FileKind::Other},
        {".jpg", FileKind::Other},   {"a.jpg.txt", FileKind::Other}, {"a.", FileKind::Other},
    };
    for (const auto &[name, kind] : rows)
        QTest::newRow(name) << QByteArray(name) << int(kind);
}

void tst_FileKind::kindOfName()
{
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QCOMPARE(int(FileKind::of(name)), kind);
    // Whatever can be listed is offered at the first start; side files are not.
    const QStringList offered = FileKind::shownExtensions().split(", ");
    QCOMPARE(offered.contains(QString::fromLatin1(FileKind::extensionOf(name)).toLower()),
             FileKind::isCameraKind(FileKind::Kind(kind)));
}

QTEST_GUILESS_MAIN(tst_FileKind)
#include "tst_filekind.moc"
