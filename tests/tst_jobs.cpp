#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include "copyjob.h"
#include "loadqueue.h"
#include "pictureremoval.h"
#include "folder.h"
#include "testutils.h"

// The jobs on their own, through their signals: what they did, and that at
// their end nothing of the folders they worked on stays open.
class tst_Jobs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void copyReportsOutcomes_data();
    void copyReportsOutcomes();
    void removalNamesTheFileThatStayed_data();
    void removalNamesTheFileThatStayed();
    void manyCopiedHoldNothingOpen();
    void queueAnswersWhatIsStillAsked();

private:
    FolderEntry entry(const QString &name) const
    {
        return {std::make_shared<const Folder>(dirs->filePath("from")), name.toUtf8(), {}, {}};
    }
    // Descriptors of this process open on files or folders below `path`.
    static int openBelow(const QString &path);

    std::unique_ptr<QTemporaryDir> dirs;
    Worker worker;
};

void tst_Jobs::init()
{
    dirs = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(dirs->filePath("from")) && QDir().mkpath(dirs->filePath("to")));
    QVERIFY(TestUtils::writePicture(dirs->filePath("from/a.jpg"), QSize(8, 8)));
}

int tst_Jobs::openBelow(const QString &path)
{
    int count = 0;
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
        if (fd.symLinkTarget().startsWith(path))
            ++count;
    return count;
}

void tst_Jobs::copyReportsOutcomes_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<int>("checked");
    QTest::addColumn<int>("failure"); // errno of the copy; -1: copied
    QTest::newRow("nothing in the way") << "none" << int(PictureCopy::Ready) << -1;
    QTest::newRow("a file of the name, kept") << "file" << int(PictureCopy::Exists) << EEXIST;
    QTest::newRow("the picture gone meanwhile") << "gone" << int(PictureCopy::Ready) << ENOENT;
}

void tst_Jobs::copyReportsOutcomes()
{
    QFETCH(QString, destination);
    QFETCH(int, checked);
    QFETCH(int, failure);
    if (destination == "file")
        QVERIFY(TestUtils::touch(dirs->filePath("to/a.jpg"), 3));
    CopyJob job(worker);
    QSignalSpy failed(&job, &CopyJob::failed);
    QSignalSpy finished(&job, &CopyJob::finished);
    QVERIFY(job.begin(dirs->filePath("from"), dirs->filePath("to"), {}));
    QCOMPARE(int(job.check(entry("a.jpg")).outcome), checked);
    if (destination == "gone")
        QVERIFY(QFile::remove(dirs->filePath("from/a.jpg")));
    job.copyOne(entry("a.jpg"), PictureCopy::NoReplace);
    QVERIFY(job.isRunning());
    QVERIFY(finished.wait());
    QCOMPARE(failed.size(), failure < 0 ? 0 : 1);
    if (failure >= 0) {
        const auto result = failed.first().at(0).value<PictureCopy::Result>();
        QCOMPARE(int(result.reason), int(PictureCopy::SystemError));
        QCOMPARE(result.err, failure);
    }
    QCOMPARE(TestUtils::readFile(dirs->filePath("to/a.jpg")).size() == 3, destination == "file");
}

void tst_Jobs::removalNamesTheFileThatStayed_data()
{
    QTest::addColumn<bool>("refused"); // the folder is read-only
    QTest::newRow("every file goes") << false;
    QTest::newRow("the folder refuses") << true;
}

void tst_Jobs::removalNamesTheFileThatStayed()
{
    QFETCH(bool, refused);
    const QString from = dirs->filePath("from");
    QVERIFY(TestUtils::touch(from + "/b.jpg"));
    if (refused)
        QVERIFY(QFile::setPermissions(from, QFile::ReadOwner | QFile::ExeOwner));
    TestUtils::PermissionChecksOn permissions;
    PictureRemoval removal(worker);
    QSignalSpy finished(&removal, &PictureRemoval::finished);
    QVERIFY(removal.start({entry("a.jpg"), entry("b.jpg")}));
    QVERIFY(!removal.start({entry("b.jpg")}));
    QVERIFY(finished.wait());
    QVERIFY(QFile::setPermissions(from, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(finished.first(), refused ? QVariantList({QByteArray("a.jpg"), EACCES})
                                       : QVariantList({QByteArray(), 0}));
    QCOMPARE(QDir(from).entryList(QDir::Files).size(), refused ? 2 : 0);
    QCOMPARE(openBelow(from), 0);
}

// A card whose folders a finished job still holds cannot be unmounted.
void tst_Jobs::manyCopiedHoldNothingOpen()
{
    QVERIFY(TestUtils::touch(dirs->filePath("from/b.jpg"), 10));
    CopyJob job(worker);
    QSignalSpy planned(&job, &CopyJob::planned);
    QSignalSpy progressed(&job, &CopyJob::progressed);
    QSignalSpy finished(&job, &CopyJob::finished);
    QVERIFY(job.plan(dirs->filePath("from"), dirs->filePath("to"), {},
                     {entry("a.jpg"), entry("b.jpg")}));
    QVERIFY(planned.wait());
    QCOMPARE(planned.first(), QVariantList({0, 2}));
    job.copyPlanned(false);
    QVERIFY(finished.wait());
    QCOMPARE(progressed.size(), 2);
    QCOMPARE(QDir(dirs->filePath("to")).entryList(QDir::Files),
             QStringList({"a.jpg", "b.jpg"}));
    QCOMPARE(openBelow(dirs->path()), 0);
}

void tst_Jobs::queueAnswersWhatIsStillAsked()
{
    LoadQueue queue;
    QSignalSpy loaded(&queue, &LoadQueue::loaded);
    const quint64 dropped = queue.request(entry("a.jpg"), QSize(40, 30), LoadQueue::Preview);
    const quint64 missing = queue.request(entry("none.jpg"), QSize(40, 30), LoadQueue::Preview);
    const quint64 asked = queue.request(entry("a.jpg"), QSize(40, 30), LoadQueue::Preview);
    queue.cancel(dropped);
    QTRY_COMPARE(loaded.size(), 2);
    // Answers come as their decodes end, in any order.
    for (const QVariantList &answer : std::as_const(loaded)) {
        const quint64 id = answer.at(0).value<quint64>();
        QVERIFY(id == missing || id == asked);
        QCOMPARE(answer.at(1).value<QImage>().isNull(), id == missing);
        if (id == asked)
            QCOMPARE(answer.at(2).value<ThumbnailFile::Stamp>().size,
                     ThumbnailFile::stampOf(dirs->filePath("from/a.jpg")).size);
    }
    QCOMPARE(openBelow(dirs->path()), 0);
}

QTEST_MAIN(tst_Jobs)
#include "tst_jobs.moc"
