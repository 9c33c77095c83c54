#ifndef FILEKIND_H
#define FILEKIND_H

#include <QByteArray>
#include <QList>
#include <QString>

// What a file that cameras and phones write is, told by its extension in
// any case. The one table of kinds: the listing pairs and groups files by
// it, the loader chooses its decoder by it, the copy takes side files along
// by it, and the first start lists every kind the program can show.
class FileKind
{
public:
    enum Kind {
        Other,
        Jpeg,
        Raw,
        Heif,
        Video,
        // Small files written beside a picture or video that belong to it:
        // a camera's thumbnail, an editor's metadata, a voice note, a clip's
        // description. Never shown on their own beside it.
        Side
    };

    static Kind of(const QByteArray &name);
    // The kinds a picture list shows: everything but Other and Side.
    static bool isCameraKind(Kind kind) { return kind != Other && kind != Side; }

    // The extensions of `kind`, upper case, without the dot.
    static QList<QByteArray> extensions(Kind kind);
    // Every extension of the kinds a list can show, lower case and
    // separated by ", ", as the extensions setting takes them.
    static QString shownExtensions();

    // What follows the last dot, as it is written; "" without one. A leading
    // dot starts no extension.
    static QByteArray extensionOf(const QByteArray &name);
    // The name without its extension and dot.
    static QByteArray baseOf(const QByteArray &name);
    // The base names of the files the side file `side` may belong to, the
    // closest first: its own base name, and for Sony's description of a clip
    // ("C0001M01.XML" beside "C0001.MP4") the clip's.
    static QList<QByteArray> ownerBasesOf(const QByteArray &side);
};

#endif
