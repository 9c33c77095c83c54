#ifndef KWQTFILEEDIT_H
#define KWQTFILEEDIT_H

#include <QObject>
#include <QString>

class QWidget;

// The four ways to choose a path. Each runs the file dialog modally and
// returns the chosen path, or "" when the user cancelled.
class KwQtFileEdit : public QObject
{
    Q_OBJECT
public:
    explicit KwQtFileEdit(QObject *parent = nullptr, const char *name = nullptr);

    static QString chooseFile(QWidget *parent, const char *name, const QString &startDir,
                              const QString &filter);
    static QString chooseSaveFile(QWidget *parent, const char *name, const QString &startDir,
                                  const QString &filter);
    static QString chooseDir(QWidget *parent, const char *name, const QString &startDir);
    static QString chooseDirMkDir(QWidget *parent, const char *name, const QString &startDir,
                                  const QString &filter);
};

#endif
