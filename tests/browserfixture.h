#ifndef BROWSERFIXTURE_H
#define BROWSERFIXTURE_H

// What the browser tests set up around a TesselView: fresh folders for the
// two panes, settings that point at them and fake mount/umount/statfs calls.

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

#include "tesselview.h"
#include "copyjob.h"
#include "pictureremoval.h"
#include "tesseldata.h"
#include "fakesystemcalls.h"

// The browser with the protected state the tests look at opened up.
class Browser : public TesselView
{
public:
    using TesselView::TesselView;
    using TesselView::activeSide;
    using TesselView::currentPicture;
    using TesselView::destThumbTimer;
    using TesselView::destination;
    using TesselView::dirTimer;
    using TesselView::freeText;
    using TesselView::freeUnit;
    using TesselView::mounted;
    using TesselView::preview;
    using TesselView::progress;
    using TesselView::source;
    using TesselView::srcThumbTimer;
};

// A test class derives from this next to QObject, calls
// setUpBrowserFixture() from init() and tearDownBrowserFixture() from
// cleanup(). Each test function thus starts with empty pane folders and
// settings of its own.
class BrowserFixture
{
public:
    // Where the browser tests point TESSELCFG: nowhere, so that no settings
    // file on the machine leaks into them.
    static constexpr const char *noSettingsFile = "/nonexistent-tessel-cfg";

protected:
    // Makes the source pane's folder (`sourceFolder`, relative to the
    // temporary folder) and the destination folder "right", and settings that
    // list *.jpg in both.
    void setUpBrowserFixture(const QString &sourceFolder = "left")
    {
        dirs = std::make_unique<QTemporaryDir>();
        QVERIFY(dirs->isValid());
        sourceDir = dirs->path() + "/" + sourceFolder;
        QVERIFY(QDir().mkpath(left()));
        QVERIFY(QDir().mkpath(right()));
        data = std::make_unique<TesselData>();
        data->fileExt = "jpg";
        data->leftPath = left();
        data->rightPath = right();
        calls = std::make_unique<FakeSystemCalls>();
    }

    void tearDownBrowserFixture()
    {
        calls.reset();
        data.reset();
        dirs.reset();
    }

    std::unique_ptr<Browser> makeBrowser() const
    {
        return std::make_unique<Browser>(nullptr, data.get(), data->flashPath, data->fileExt);
    }

    QString left() const { return sourceDir; }
    QString right() const { return dirs->path() + "/right"; }

    std::unique_ptr<QTemporaryDir> dirs;
    std::unique_ptr<TesselData> data;
    std::unique_ptr<FakeSystemCalls> calls;

private:
    QString sourceDir;
};

// A command's job has ended (and its end has relisted the panes): tests
// wait for this with QTRY_VERIFY.
inline bool jobsEnded(const QObject *view)
{
    const auto *copy = view->findChild<CopyJob *>();
    const auto *removal = view->findChild<PictureRemoval *>();
    return copy && !copy->isRunning() && removal && !removal->isRunning();
}

// The preview shows the selected picture, or nothing when it failed.
inline bool previewSettled(const Browser *view)
{
    return !view->preview.isLoading();
}

// The browser's message for a failed system call with this errno.
inline QString failureText(int err)
{
    return QString("no success\n%1\nerrno = %2").arg(QString::fromLocal8Bit(strerror(err))).arg(err);
}

#endif
