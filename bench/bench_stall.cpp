// The longest the window waits for its event loop while slow work goes on:
// "delete all" over 20,000 pictures, and a thumbnail run over 12-megapixel
// photos that must be decoded. A 5 ms timer in the application's own event
// loop records the longest gap between two of its turns; the questions are
// answered Yes from that loop as well.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

#include "benchutils.h"
#include "tesselview.h"
#include "tesseldata.h"
#include "progressedit.h"

namespace {

const double targetMs = 20;

class Browser : public TesselView
{
public:
    using TesselView::TesselView;
    using TesselView::progress;
    using TesselView::srcThumbTimer;
};

using Figures = BenchUtils::Stalls;

// Starts the work from the event loop and runs the loop until `done`.
Figures measure(const std::function<void()> &start, const std::function<bool()> &done)
{
    return BenchUtils::measureStalls(start, done);
}

Figures deleteAll(int count)
{
    QTemporaryDir work;
    const QString left = work.path() + "/left";
    const QString right = work.path() + "/right";
    QDir().mkpath(left);
    QDir().mkpath(right);
    for (int i = 0; i < count; ++i) {
        const QByteArray path = QFile::encodeName(QString("%1/img_%2.jpg").arg(left).arg(i));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    TesselData data;
    data.leftPath = left;
    data.rightPath = right;
    data.fileExt = "jpg";
    Browser view(nullptr, &data, data.flashPath, data.fileExt);

    // Both questions answered as soon as they are up: Yes, and All of the
    // pictures, as none of them has a proven copy.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &answerer, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QAbstractButton *yes = box->button(QMessageBox::YesToAll);
        if (!yes)
            yes = box->button(QMessageBox::Yes);
        if (yes)
            yes->click();
    });
    answerer.start(0);
    // The job holds the setup button until it has ended; the questions
    // come first.
    bool asked = false;
    const Figures f = measure(
        [&] {
            view.LeftDeleteToolButton->click();
            asked = true;
        },
        [&] { return asked && view.SetupToolButton->isEnabled(); });
    if (view.LeftListView->topLevelItemCount() != 0 || !QDir(left).isEmpty())
        printf("delete all left pictures behind\n");
    return f;
}

Figures thumbnailRun(const QStringList &photos)
{
    QTemporaryDir work;
    const QString dir = work.path() + "/photos";
    QDir().mkpath(dir);
    // Copies: links to files are not listed.
    for (const QString &photo : photos)
        QFile::copy(photo, dir + "/" + QFileInfo(photo).fileName());
    TesselData data;
    data.leftPath = dir;
    data.rightPath = dir;
    data.fileExt = "jpg";
    Browser view(nullptr, &data, data.flashPath, data.fileExt);
    // The run's timer also rests while a picture is decoded; its window
    // stays up until the run has ended.
    return measure([&] { view.LeftThumbnailButton->click(); },
                   [&] { return !view.srcThumbTimer.isActive() && !view.progress->isVisible(); });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList photos = BenchUtils::makePhotos("/tmp/tessel-bench-photos", 4);
    if (photos.isEmpty())
        return 1;

    printf("\nlongest event-loop stall (5 ms timer in the application's loop), ms\n");
    printf("%-40s %10s %10s %8s\n", "work", "wall", "stall", "target");
    const Figures removal = deleteAll(20000);
    printf("%-40s %10.1f %10.1f %8.0f\n", "delete all, 20000 pictures", removal.wallMs,
           removal.stallMs, targetMs);
    const Figures run = thumbnailRun(photos);
    printf("%-40s %10.1f %10.1f %8.0f\n",
           qPrintable(QString("thumbnail run, %1 photos of 12 MP").arg(photos.size())), run.wallMs,
           run.stallMs, targetMs);
    fflush(stdout);
    return 0;
}
