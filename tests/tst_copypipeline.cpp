#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>

#include "copypipeline.h"
#include "folder.h"
#include "testutils.h"

using TestUtils::readFile;
using TestUtils::writeFile;

class tst_CopyPipeline : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void copiesInOrder_data();
    void copiesInOrder();
    void provesOneWhileReadingTheNext();

private:
    QList<CopyPipeline::File> files(int count);

    QTemporaryDir card, destination;
    std::unique_ptr<Folder> from, to;
};

void tst_CopyPipeline::init()
{
    QVERIFY(card.isValid() && destination.isValid());
    for (const QString &name : QDir(destination.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(destination.filePath(name));
    from = std::make_unique<Folder>(card.path());
    to = std::make_unique<Folder>(destination.path());
}

QList<CopyPipeline::File> tst_CopyPipeline::files(int count)
{
    QList<CopyPipeline::File> all;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = "IMG_" + QByteArray::number(i) + ".JPG";
        writeFile(card.filePath(QString::fromLatin1(name)), QByteArray(200000 + i, char('a' + i)));
        all.append({from.get(), name, to.get(), name});
    }
    return all;
}

void tst_CopyPipeline::copiesInOrder_data()
{
    QTest::addColumn<int>("stopAfter"); // -1: never
    QTest::addColumn<QStringList>("copied");
    QTest::newRow("all") << -1 << QStringList{"IMG_0.JPG", "IMG_1.JPG", "IMG_2.JPG", "IMG_3.JPG"};
    QTest::newRow("stopped after the second") << 1 << QStringList{"IMG_0.JPG", "IMG_1.JPG"};
}

void tst_CopyPipeline::copiesInOrder()
{
    QFETCH(int, stopAfter);
    QFETCH(QStringList, copied);
    CopyPipeline pipeline;
    pipeline.setReplacing(false);
    QList<int> order;
    qint64 read = 0;
    pipeline.onProgress = [&](qint64 bytes) { read = bytes; };
    const int reported = pipeline.run(files(4), [&](const CopyPipeline::Outcome &outcome) {
        order << outcome.index;
        [&] { QCOMPARE(outcome.status, FileCopy::Copied); }();
        return outcome.index != stopAfter;
    });
    QCOMPARE(reported, copied.size());
    QCOMPARE(order.size(), copied.size());
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(order.at(i), i);
    // What was read of a file the stop came too late for is gone again.
    QCOMPARE(QDir(destination.path()).entryList(QDir::Files | QDir::Hidden), copied);
    QCOMPARE(readFile(destination.filePath("IMG_1.JPG")), QByteArray(200001, 'b'));
    if (stopAfter < 0)
        QCOMPARE(read, qint64(4 * 200000 + 6));
}

// The first file's read-back waits until the second is being read: with
// one thread for both it would wait in vain.
void tst_CopyPipeline::provesOneWhileReadingTheNext()
{
    CopyPipeline pipeline;
    std::promise<void> secondRead;
    std::shared_future<void> secondStarted = secondRead.get_future().share();
    bool overlapped = false;
    pipeline.onProgress = [&](qint64 bytes) {
        if (bytes > 200000 && !overlapped) {
            overlapped = true;
            secondRead.set_value();
        }
    };
    bool waited = false;
    FileCopy::Hooks hooks;
    hooks.beforeReadBack = [&, first = true](int) mutable {
        if (first)
            waited = secondStarted.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        first = false;
    };
    pipeline.setHooks(hooks);
    QList<FileCopy::Status> statuses;
    pipeline.run(files(2), [&](const CopyPipeline::Outcome &outcome) {
        statuses << outcome.status;
        return true;
    });
    QVERIFY(waited);
    QCOMPARE(statuses, (QList<FileCopy::Status>{FileCopy::Copied, FileCopy::Copied}));
}

QTEST_GUILESS_MAIN(tst_CopyPipeline)
#include "tst_copypipeline.moc"
