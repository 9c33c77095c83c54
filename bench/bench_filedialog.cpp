// Time to list a large directory in the file dialog: read plus list fill.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

#include "benchutils.h"
#include "kwqtfileeditdlg.h"

namespace {

bool makeEntries(const QString &dir, int files, int dirs)
{
    for (int i = 0; i < files; ++i) {
        QFile f(QString("%1/photo_%2.jpg").arg(dir).arg(i, 5, 10, QChar('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write("x", 1) != 1)
            return false;
    }
    for (int i = 0; i < dirs; ++i) {
        if (!QDir(dir).mkdir(QString("folder_%1").arg(i, 4, 10, QChar('0'))))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir tmp;
    const int files = argc > 1 ? atoi(argv[1]) : 10000;
    const int dirs = 100;
    if (!tmp.isValid() || !makeEntries(tmp.path(), files, dirs)) {
        fprintf(stderr, "cannot create the test directory\n");
        return 1;
    }

    KwQtFileEditDlg dlg(nullptr, "", tmp.path(), "*");
    dlg.setFilterSpec(QDir::AllEntries | QDir::System);
    dlg.setApplyNameFilter(true);
    dlg.setDirsFirst(true);

    const double readMs = BenchUtils::bestMs([&] { dlg.readDir(tmp.path(), "*"); }, 5);
    const double listMs = BenchUtils::bestMs([&] { dlg.refresh(); }, 5);
    printf("file dialog, %d files + %d folders: read %.1f ms, read and list %.1f ms (%d rows)\n",
           files, dirs, readMs, listMs, dlg.ListView->topLevelItemCount());
    return 0;
}
