#include "deletecommand.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTreeWidget>

#include <cstring>

#include "copiedmarks.h"
#include "picturepane.h"
#include "flashcard.h"
#include "plainmessagebox.h"

DeleteCommand::DeleteCommand(QWidget *parentWindow, PicturePane &sourcePane,
                             PicturePane &destinationPane, PictureRemoval &job,
                             const FlashCard &flashCard)
    : QObject(parentWindow), window(parentWindow), source(sourcePane),
      destination(destinationPane), removal(job), card(flashCard)
{
    connect(&removal, &PictureRemoval::finished, this, &DeleteCommand::done);
}

bool DeleteCommand::confirmed(QWidget *parent, const QString &caption, const QString &text)
{
    return PlainMessageBox::information(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::No) == QMessageBox::Yes;
}

QString DeleteCommand::failureText(int err)
{
    return tr("no success") + "\n" +
           QString("%1\nerrno = %2").arg(QString::fromLocal8Bit(strerror(err))).arg(err);
}

void DeleteCommand::tell(const QString &text) const
{
    PlainMessageBox::information(window, caption, text, QMessageBox::Ok);
}

void DeleteCommand::deleteAll()
{
    const QList<FolderEntry> proven = provenEntries();
    const int unproven = source.list->topLevelItemCount() - int(proven.size());
    caption = tr("delete all files");
    QString text = tr("You try to delete all files in the left dir\nAre you sure ?") +
                   tr("\n path is \n") + source.folder();
    if (unproven > 0)
        text += "\n" +
                tr("%n of them have no proven copy in the destination !", nullptr, unproven);
    if (!confirmed(window, caption, text))
        return;
    PictureRemoval::Checks checks{destination.folder(), card.volumeOf(source.folder()),
                                  source.folder()};
    QList<FolderEntry> entries = source.entries();
    bool go = true;
    if (unproven == 0) {
        go = confirmed(window, caption, tr("really ?"));
    } else {
        QMessageBox box(QMessageBox::Information, caption, tr("really ?"),
                        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No, window);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(tr("Proven only"));
        box.button(QMessageBox::YesToAll)->setText(tr("All"));
        box.button(QMessageBox::No)->setText(tr("No"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        box.exec();
        const QMessageBox::StandardButton answer =
            box.clickedButton() ? box.standardButton(box.clickedButton()) : QMessageBox::No;
        go = answer != QMessageBox::No;
        // All means all: nothing is looked at again.
        if (answer == QMessageBox::YesToAll)
            checks.provenIn.clear();
        else
            entries = proven;
    }
    if (go)
        remove(entries, caption, source, checks);
    else
        emit finished(true);
}

void DeleteCommand::deleteSelected()
{
    const QTreeWidgetItem *selected = destination.selectedItem();
    if (!selected)
        return;
    if (!confirmed(window, tr("delete file"), destination.pathOf(selected->text(0))))
        return;
    remove({destination.entryOf(selected)}, tr("delete file"), destination);
}

QList<FolderEntry> DeleteCommand::provenEntries() const
{
    QList<FolderEntry> proven;
    for (int i = 0; i < source.list->topLevelItemCount(); ++i)
        if (CopiedMarks::of(source.list->topLevelItem(i)) == ImportRecord::Proven)
            proven.append(source.entryOf(source.list->topLevelItem(i)));
    return proven;
}

// The first file that cannot be removed stops the job and is named in a box.
void DeleteCommand::remove(const QList<FolderEntry> &entries, const QString &boxCaption,
                           PicturePane &worked, const PictureRemoval::Checks &checks)
{
    caption = boxCaption;
    pane = &worked;
    emit started();
    removal.start(entries, checks);
}

void DeleteCommand::done(const QByteArray &name, int err)
{
    if (err != 0)
        tell(failureText(err) + "\n" + Folder::displayName(name));
    if (removal.keptCount() > 0)
        tell(tr("%n picture(s) changed since their copy and were kept.", nullptr,
                removal.keptCount()));
    if (removal.syncError() != 0)
        tell(tr("The card reported an error: some pictures may not have been deleted."));
    emit finished(pane == &source);
}
