#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder.h"
#include "importrecord.h"
#include "testutils.h"
#include "volumeid.h"

using TestUtils::readFile;
using TestUtils::writeFile;

namespace {

const qint64 taken = 1700000000;
const QByteArray cardId = "1A2B-3C4D";

void setTime(const QString &path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

class tst_ImportRecord : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void marksComeBackAfterReopening_data();
    void marksComeBackAfterReopening();
    void oneFormOfEachIdentity_data();
    void oneFormOfEachIdentity();
    void theCardFileItselfIsNoCopy();
    void changedSinceTheCopyIsNotProven();
    void damagedLinesAreSkipped();
    void aLinkIsNeverFollowed();
    void anyBytesInNames();

private:
    // A 5000-byte card picture "IMG_1.JPG" in DCIM/100CANON, its copy in
    // the destination, and the record's line for it.
    ImportRecord::Line copied(const QByteArray &volume);
    ImportRecord::CardFile cardFile(const QByteArray &volume);

    QTemporaryDir card, destination;
    std::unique_ptr<Folder> cardFolder, destinationFolder;
};

void tst_ImportRecord::init()
{
    QVERIFY(card.isValid() && destination.isValid());
    for (const QString &name : QDir(destination.path()).entryList(QDir::Files | QDir::Hidden |
                                                                  QDir::System))
        QFile::remove(destination.filePath(name));
    cardFolder = std::make_unique<Folder>(card.path());
    destinationFolder = std::make_unique<Folder>(destination.path());
}

ImportRecord::Line tst_ImportRecord::copied(const QByteArray &volume)
{
    writeFile(card.filePath("IMG_1.JPG"), QByteArray(5000, 'p'));
    setTime(card.filePath("IMG_1.JPG"), taken);
    writeFile(destination.filePath("IMG_1.JPG"), QByteArray(5000, 'p'));
    ImportRecord::Line line;
    line.hash = {1, 2};
    line.size = 5000;
    line.time = taken;
    line.volume = volume;
    line.cardFolder = "DCIM/100CANON";
    line.cardName = "IMG_1.JPG";
    line.destinationName = "IMG_1.JPG";
    return line;
}

ImportRecord::CardFile tst_ImportRecord::cardFile(const QByteArray &volume)
{
    ImportRecord::CardFile file;
    [&] {
        QVERIFY(ImportRecord::CardFile::look(*cardFolder, "DCIM/100CANON", "IMG_1.JPG", volume,
                                             &file));
    }();
    return file;
}

void tst_ImportRecord::marksComeBackAfterReopening_data()
{
    QTest::addColumn<QByteArray>("recorded");
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<qint64>("shift");
    QTest::addColumn<int>("mark");
    const int proven = ImportRecord::Proven, notProven = ImportRecord::ThereNotProven;
    QTest::newRow("same card, same time") << cardId << cardId << qint64(0) << proven;
    QTest::newRow("read 1 h 30 min later") << cardId << cardId << qint64(5400) << proven;
    QTest::newRow("read 45 min earlier") << cardId << cardId << qint64(-2700) << proven;
    QTest::newRow("no identity recorded") << QByteArray() << cardId << qint64(0) << proven;
    QTest::newRow("7 min later") << cardId << cardId << qint64(420) << notProven;
    QTest::newRow("25 h later") << cardId << cardId << qint64(90000) << notProven;
    QTest::newRow("another card") << cardId << QByteArray("5E6F-7081") << qint64(0) << notProven;
    QTest::newRow("kernel's number recorded, service's text read")
        << QByteArray("0x1A2B3C4D") << QByteArray("1a2b-3c4d") << qint64(0) << proven;
    QTest::newRow("ext4 identity in another case")
        << QByteArray("3e6b1c2d-0a1b-4c5d-9e8f-00112233aabb")
        << QByteArray("3E6B1C2D-0A1B-4C5D-9E8F-00112233AABB") << qint64(0) << proven;
}

void tst_ImportRecord::marksComeBackAfterReopening()
{
    QFETCH(QByteArray, recorded);
    QFETCH(QByteArray, card);
    QFETCH(qint64, shift);
    QFETCH(int, mark);
    {
        ImportRecord record(*destinationFolder);
        QVERIFY(record.append(copied(recorded)));
    }
    QVERIFY(readFile(destination.filePath(".tessel-imports"))
                .contains('\t' + VolumeId::normal(recorded) + "\tDCIM"));
    setTime(this->card.filePath("IMG_1.JPG"), taken + shift);
    ImportRecord reopened(*destinationFolder);
    QVERIFY(reopened.read());
    QCOMPARE(int(reopened.mark(cardFile(card))), mark);
    QCOMPARE(reopened.stillProven(*cardFolder, "DCIM/100CANON", "IMG_1.JPG", card),
             mark == ImportRecord::Proven);
}

void tst_ImportRecord::oneFormOfEachIdentity_data()
{
    QTest::addColumn<QByteArray>("given");
    QTest::addColumn<QByteArray>("normal");
    QTest::newRow("service, lower case") << QByteArray("1a2b-3c4d") << cardId;
    QTest::newRow("no dash") << QByteArray("1A2B3C4D") << cardId;
    QTest::newRow("kernel's number") << QByteArray("0x1A2B3C4D") << cardId;
    QTest::newRow("kernel's number, short") << QByteArray("0xabcd") << QByteArray("0000-ABCD");
    QTest::newRow("ext4") << QByteArray("3e6b1c2d-0a1b-4c5d-9e8f-00112233aabb")
                          << QByteArray("3E6B1C2D-0A1B-4C5D-9E8F-00112233AABB");
    QTest::newRow("not hex") << QByteArray("1a2b-3c4g") << QByteArray("1A2B-3C4G");
    QTest::newRow("none") << QByteArray() << QByteArray();
}

void tst_ImportRecord::oneFormOfEachIdentity()
{
    QFETCH(QByteArray, given);
    QFETCH(QByteArray, normal);
    QCOMPARE(VolumeId::normal(given), normal);
}

void tst_ImportRecord::theCardFileItselfIsNoCopy()
{
    ImportRecord record(*destinationFolder);
    QVERIFY(record.append(copied(cardId)));
    QFile::remove(destination.filePath("IMG_1.JPG"));
    QCOMPARE(::link(QFile::encodeName(card.filePath("IMG_1.JPG")).constData(),
                    QFile::encodeName(destination.filePath("IMG_1.JPG")).constData()),
             0);
    QCOMPARE(record.mark(cardFile(cardId)), ImportRecord::NotThere);
}

void tst_ImportRecord::changedSinceTheCopyIsNotProven()
{
    ImportRecord record(*destinationFolder);
    QVERIFY(record.append(copied(cardId)));
    QVERIFY(writeFile(card.filePath("IMG_1.JPG"), QByteArray(5001, 'p')));
    setTime(card.filePath("IMG_1.JPG"), taken);
    QVERIFY(!record.stillProven(*cardFolder, "DCIM/100CANON", "IMG_1.JPG", cardId));
    QFile::remove(destination.filePath("IMG_1.JPG"));
    QVERIFY(writeFile(card.filePath("IMG_1.JPG"), QByteArray(5000, 'p')));
    setTime(card.filePath("IMG_1.JPG"), taken);
    QCOMPARE(record.mark(cardFile(cardId)), ImportRecord::NotThere);
}

void tst_ImportRecord::damagedLinesAreSkipped()
{
    const ImportRecord::Line line = copied(cardId);
    const QByteArray good = ImportRecord::encode(line);
    QVERIFY(writeFile(destination.filePath(".tessel-imports"),
                      "tessel-imports\t1\n" + good.left(40) + "\n" + "a line of a later kind\n" +
                          good.mid(1) + "\n" + good + "\n" + good.left(50)));
    ImportRecord record(*destinationFolder);
    QVERIFY(record.read());
    QCOMPARE(record.lineCount(), 1);
    // An append after an unfinished line starts a line of its own.
    ImportRecord::Line other = line;
    other.cardName = other.destinationName = "IMG_2.JPG";
    QVERIFY(record.append(other));
    ImportRecord reopened(*destinationFolder);
    QVERIFY(reopened.read());
    QCOMPARE(reopened.lineCount(), 2);
    QCOMPARE(reopened.mark(cardFile(cardId)), ImportRecord::Proven);
}

void tst_ImportRecord::aLinkIsNeverFollowed()
{
    QTemporaryDir elsewhere;
    const ImportRecord::Line line = copied(cardId);
    const QByteArray theirs = "tessel-imports\t1\n" + ImportRecord::encode(line) + "\n";
    QVERIFY(writeFile(elsewhere.filePath("record"), theirs));
    QVERIFY(QFile::link(elsewhere.filePath("record"), destination.filePath(".tessel-imports")));
    ImportRecord record(*destinationFolder);
    QVERIFY(!record.read());
    QCOMPARE(record.mark(cardFile(cardId)), ImportRecord::ThereNotProven);
    QVERIFY(!record.append(line));
    QCOMPARE(errno, ELOOP);
    QCOMPARE(readFile(elsewhere.filePath("record")), theirs);
}

void tst_ImportRecord::anyBytesInNames()
{
    ImportRecord::Line line;
    line.hash = {0xfedcba9876543210ULL, 7};
    line.size = 12;
    line.time = -5;
    line.volume = "vol\tume";
    line.cardFolder = "DCIM/1 %25\n";
    line.cardName = "a\tb\xff.jpg";
    line.destinationName = "a\tb\xff-1.jpg";
    const QByteArray text = ImportRecord::encode(line);
    QVERIFY(!text.contains('\n'));
    QCOMPARE(text.count('\t'), 6);
    ImportRecord::Line back;
    QVERIFY(ImportRecord::decode(text, &back));
    QCOMPARE(back.cardName, line.cardName);
    QCOMPARE(ImportRecord::encode(back), text);
    // A name that would lead out of the destination folder is damage.
    line.destinationName = "../elsewhere.jpg";
    QVERIFY(!ImportRecord::decode(ImportRecord::encode(line), &back));
}

QTEST_GUILESS_MAIN(tst_ImportRecord)
#include "tst_importrecord.moc"
