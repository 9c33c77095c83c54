#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "browser/thumbnailrun.h"

// The run on a bare list: which pictures it loads and writes, and what it
// reports, without a browser around it.
class tst_ThumbnailRun : public QObject
{
    Q_OBJECT
private slots:
    void reportsEachPictureAndItsEnd();
    void stopForgetsTheItems();
    void stopWhileLoadingLeavesTheItemAlone();

private:
    struct Fixture
    {
        QTreeWidget list;
        QPixmap picture{4, 3};
        QStringList loaded;
        QStringList saved;
        ThumbnailRun run{&list, "caption",
                         {[this](const QTreeWidgetItem *item) {
                              const QString name = item->text(0);
                              loaded << name;
                              // The list is emptied while the picture loads.
                              if (name == clearedAt) {
                                  run.stop();
                                  list.clear();
                              }
                              return name == "b" ? nullptr : &picture;
                          },
                          [this](const QTreeWidgetItem *item, const QPixmap *) {
                              saved << item->text(0);
                              return item->text(0) != "c";
                          },
                          {}}};
        QString clearedAt;

        explicit Fixture(const QStringList &names)
        {
            for (const QString &name : names)
                new QTreeWidgetItem(&list, {name});
        }
    };
};

void tst_ThumbnailRun::reportsEachPictureAndItsEnd()
{
    Fixture f({"a", "b", "c"});
    QSignalSpy started(&f.run, &ThumbnailRun::started);
    QSignalSpy progressed(&f.run, &ThumbnailRun::progressed);
    QSignalSpy failed(&f.run, &ThumbnailRun::saveFailed);
    QSignalSpy finished(&f.run, &ThumbnailRun::finished);

    f.run.start();
    QCOMPARE(started.takeFirst(), QVariantList({"caption", 3}));
    QVERIFY(f.run.isRunning());
    QVERIFY(!f.list.isEnabled());
    for (int i = 0; i < 3; ++i)
        QVERIFY(f.run.step());
    QCOMPARE(finished.size(), 0);
    QVERIFY(!f.run.step());

    QCOMPARE(f.loaded, QStringList({"a", "b", "c"}));
    QCOMPARE(f.saved, QStringList({"a", "c"}));
    QCOMPARE(progressed.size(), 2);
    QCOMPARE(progressed.at(1), QVariantList({"c", 3}));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().toString(), QString("c"));
    QCOMPARE(finished.size(), 1);
    QVERIFY(f.list.isEnabled());
    QCOMPARE(f.run.failures(), 2);
    QCOMPARE(f.run.total(), 3);
}

void tst_ThumbnailRun::stopForgetsTheItems()
{
    Fixture f({"a", "b"});
    QSignalSpy finished(&f.run, &ThumbnailRun::finished);
    f.run.stop();
    QCOMPARE(finished.size(), 0);

    f.run.start();
    QVERIFY(f.run.step());
    f.run.stop();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!f.run.isRunning());
    QVERIFY(f.list.isEnabled());
    f.list.clear();
    QVERIFY(!f.run.step());
    QCOMPARE(f.loaded, QStringList({"a"}));
}


// Loading lets the event loop run; a refill meanwhile stops the run and
// deletes the item that was loading.
void tst_ThumbnailRun::stopWhileLoadingLeavesTheItemAlone()
{
    Fixture f({"a", "b"});
    f.clearedAt = "a";
    QSignalSpy progressed(&f.run, &ThumbnailRun::progressed);
    f.run.start();
    QVERIFY(!f.run.step());
    QCOMPARE(progressed.size(), 0);
    QVERIFY(f.saved.isEmpty());
}

QTEST_MAIN(tst_ThumbnailRun)
#include "tst_thumbnailrun.moc"
