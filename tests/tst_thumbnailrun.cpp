#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "thumbnailrun.h"
#include "memorybudget.h"
#include "loadqueue.h"
#include "folder.h"
#include "testutils.h"

// The run on a bare list of real pictures, loaded through the queue: which
// pictures it writes, in which order and with which stamp, and what it
// reports.
class tst_ThumbnailRun : public QObject
{
    Q_OBJECT
private slots:
    void savesInListOrderWithOwnStamps();
    void stopForgetsOpenRequests();

private:
    struct Fixture
    {
        QTemporaryDir dir;
        std::shared_ptr<const Folder> folder;
        QTreeWidget list;
        LoadQueue queue;
        int requested = 0;
        int requestedBeforeFirstSave = 0;
        QStringList saved;
        QList<ThumbnailFile::Stamp> stamps;
        QStringList unreadable;
        ThumbnailRun run{&list, "caption",
                         {&queue,
                          [this](const QTreeWidgetItem *item) {
                              ++requested;
                              return queue.request(entry(item), QSize(8, 6), LoadQueue::Preview);
                          },
                          [this](const QTreeWidgetItem *item, const QImage &picture,
                                 const ThumbnailFile::Stamp &stamp) {
                              if (saved.isEmpty())
                                  requestedBeforeFirstSave = requested;
                              saved << item->text(0);
                              stamps << stamp;
                              const bool ok =
                                  picture.size() == QSize(8, 6) && item->text(0) != "e.jpg";
                              return [ok] { return ok; };
                          },
                          {},
                          [this](const QTreeWidgetItem *item) { unreadable << item->text(0); }}};

        // The first picture is the largest, so that the later ones tend to
        // come in before it; each file's size (and so its stamp) differs.
        explicit Fixture(const QStringList &names)
        {
            int side = 1600;
            for (const QString &name : names) {
                const QString path = dir.path() + "/" + name;
                if (name.startsWith("b"))
                    QVERIFY(TestUtils::writeCorruptPicture(path));
                else
                    QVERIFY(TestUtils::writePicture(path, QSize(side, side * 3 / 4)));
                side = 64 + names.indexOf(name);
                new QTreeWidgetItem(&list, {name});
            }
            folder = std::make_shared<const Folder>(dir.path());
        }
        FolderEntry entry(const QTreeWidgetItem *item) const
        {
            return {folder, item->text(0).toUtf8()};
        }
    };
};

void tst_ThumbnailRun::savesInListOrderWithOwnStamps()
{
    Fixture f({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"});
    QSignalSpy started(&f.run, &ThumbnailRun::started);
    QSignalSpy progressed(&f.run, &ThumbnailRun::progressed);
    QSignalSpy failed(&f.run, &ThumbnailRun::saveFailed);
    QSignalSpy finished(&f.run, &ThumbnailRun::finished);

    f.run.start();
    QCOMPARE(started.takeFirst(), QVariantList({"caption", 6}));
    QVERIFY(!f.list.isEnabled());
    QVERIFY(finished.wait(10000));

    QVERIFY(f.requestedBeforeFirstSave >= MemoryBudget::decodeThreads());
    QCOMPARE(f.saved, QStringList({"a.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"}));
    for (int i = 0; i < f.saved.size(); ++i) {
        const ThumbnailFile::Stamp own =
            ThumbnailFile::stampOf(f.folder->descriptor(), f.saved[i].toUtf8());
        QCOMPARE(f.stamps[i].size, own.size);
        QCOMPARE(f.stamps[i].modified, own.modified);
    }
    QCOMPARE(f.unreadable, QStringList({"b.jpg"}));
    QList<int> indices;
    for (const QVariantList &signal : progressed)
        indices << signal.at(1).toInt();
    QCOMPARE(indices, QList<int>({1, 3, 4, 5, 6}));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().toString(), QString("e.jpg"));
    QCOMPARE(finished.size(), 1);
    QVERIFY(f.list.isEnabled());
    QCOMPARE(f.run.failures(), 2);
    QCOMPARE(f.run.total(), 6);
}

// A refill stops the run while its pictures are being decoded; none of
// them is written afterwards.
void tst_ThumbnailRun::stopForgetsOpenRequests()
{
    Fixture f({"a.jpg", "c.jpg", "d.jpg"});
    QSignalSpy finished(&f.run, &ThumbnailRun::finished);
    f.run.stop();
    QCOMPARE(finished.size(), 0);

    f.run.start();
    QVERIFY(f.requested > 0);
    f.run.stop();
    f.list.clear();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!f.run.isRunning());
    QVERIFY(f.list.isEnabled());

    // Answered after the requests given up, which are never answered.
    QSignalSpy loaded(&f.queue, &LoadQueue::loaded);
    const QString last = f.dir.path() + "/z.jpg";
    QVERIFY(TestUtils::writePicture(last, QSize(8, 6)));
    const quint64 id = f.queue.request({f.folder, "z.jpg"}, QSize(8, 6), LoadQueue::Preview);
    QTRY_VERIFY(!loaded.isEmpty() && loaded.last().first().toULongLong() == id);
    QCOMPARE(loaded.size(), 1);
    QVERIFY(!f.run.step());
    QVERIFY(f.saved.isEmpty());
}

QTEST_MAIN(tst_ThumbnailRun)
#include "tst_thumbnailrun.moc"
