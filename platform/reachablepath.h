#ifndef REACHABLEPATH_H
#define REACHABLEPATH_H

#include <QString>

// A path by which Qt's file classes reach a file of a folder listing, even
// when the file's name is not UTF-8 and its shown name (with U+FFFD) names
// no file: such a file is held open while this object lives and reached
// through /proc/self/fd. Should two names show alike, the first listed is
// taken.
class ReachablePath
{
public:
    ReachablePath(const QString &dir, const QString &shownName);
    ~ReachablePath();
    ReachablePath(const ReachablePath &) = delete;
    ReachablePath &operator=(const ReachablePath &) = delete;

    QString path() const { return reachable; }

private:
    int fd = -1;
    QString reachable;
};

#endif
