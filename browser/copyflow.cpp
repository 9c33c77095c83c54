#include "browser/copyflow.h"

#include <QTreeWidget>

#include "browser/copyjob.h"
#include "browser/copyplan.h"
#include "browser/picturecopy.h"
#include "browser/sharedprogress.h"
#include "browser/tesselview.h"
#include "widgets/heldcontrols.h"

CopyFlow::CopyFlow(TesselView &view) : view(view) {}

void CopyFlow::toRight()
{
    const QList<QTreeWidgetItem *> selected = view.source.selectedInOrder();
    if (selected.isEmpty())
        return;
    if (selected.size() > 1) {
        copyMany(selected);
        return;
    }
    if (!PictureCopy::destinationUsable(view.destination.folder())) {
        view.copyBox(PictureCopy::unusableText(view.destination.folder()));
        return;
    }
    copySelected();
    view.listRight();
}

void CopyFlow::copySelected()
{
    const QTreeWidgetItem *selected = view.source.selectedItem();
    if (!selected || selected->text(0).isEmpty())
        return;
    PictureCopy copier(view.worker, view.pictureBuffer, sizeof view.pictureBuffer);
    if (!copier.begin(view.source.folder(), view.destination.folder())) {
        view.copyBox(PictureCopy::unusableText(view.destination.folder()));
        return;
    }
    const auto files = PictureCopy::Transfer::whole(view.source.entryOf(selected));
    PictureCopy::Result result = copier.check(files);
    // Return alone never overwrites.
    const bool exists = result.outcome == PictureCopy::Exists;
    if (exists && !view.confirmed(TesselView::tr("copy file"),
                                  TesselView::tr("destination file exists!\noverwrite ?")))
        return;
    if (result.outcome != PictureCopy::Failed)
        result = copier.copy(files, exists ? PictureCopy::Replace : PictureCopy::NoReplace);
    if (result.outcome == PictureCopy::Failed && !result.quietAlone)
        view.copyBox(result.reason);
}

// One question for all, and only for names the destination gives other
// pictures: two buttons keep the box within a small screen, and Return
// alone, like Escape, keeps nothing twice. Nothing is ever overwritten. The
// progress window is the job's alone: runs going on stop first.
void CopyFlow::copyMany(const QList<QTreeWidgetItem *> &items)
{
    if (!PictureCopy::destinationUsable(view.destination.folder())) {
        view.copyBox(PictureCopy::unusableText(view.destination.folder()));
        return;
    }
    QList<FolderEntry> entries;
    for (const QTreeWidgetItem *item : items)
        entries.append(view.source.entryOf(item));
    // A look at every picture, and at the bytes of a name taken, goes to
    // the worker: a video compared on the window's thread would freeze it.
    CopyPlan plan;
    {
        const HeldControls held(view.workControls());
        const auto task = view.worker.run<bool>(
            [&plan, entries, destination = view.destination.folder()](const std::atomic<bool> &) {
                return plan.make(entries, Folder(destination));
            });
        Worker::await(task.future);
    }
    const bool keepBoth =
        plan.collisions() > 0 &&
        view.confirmed(TesselView::tr("copy file"),
                       TesselView::tr("%1 of the %2 pictures have the same name as a different "
                                      "picture in the destination.\nkeep both ?")
                           .arg(plan.collisions())
                           .arg(entries.size()));
    view.runWindow->cancelAll();
    view.copyJob->start(view.source.folder(), view.destination.folder(), plan.transfers(keepBoth),
                        view.progress);
}
