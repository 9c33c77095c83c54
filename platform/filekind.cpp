#include "filekind.h"

#include <QStringList>

#include <cctype>

namespace {

struct Extension
{
    const char *upper;
    FileKind::Kind kind;
};

// The order is the order the first start lists them in.
const Extension table[] = {
    {"JPG", FileKind::Jpeg},   {"JPEG", FileKind::Jpeg},  {"HEIC", FileKind::Heif},
    {"HEIF", FileKind::Heif},  {"HIF", FileKind::Heif},   {"CR2", FileKind::Raw},
    {"CR3", FileKind::Raw},    {"CRW", FileKind::Raw},    {"NEF", FileKind::Raw},
    {"ARW", FileKind::Raw},    {"DNG", FileKind::Raw},    {"RAF", FileKind::Raw},
    {"ORF", FileKind::Raw},    {"RW2", FileKind::Raw},    {"PEF", FileKind::Raw},
    {"GPR", FileKind::Raw},    {"MOV", FileKind::Video},  {"MP4", FileKind::Video},
    {"AVI", FileKind::Video},  {"MTS", FileKind::Video},  {"M2TS", FileKind::Video},
    {"THM", FileKind::Side},   {"XMP", FileKind::Side},   {"WAV", FileKind::Side},
    {"XML", FileKind::Side},
};

} // namespace

FileKind::Kind FileKind::of(const QByteArray &name)
{
    const QByteArray extension = extensionOf(name).toUpper();
    if (extension.isEmpty())
        return Other;
    for (const Extension &known : table) {
        if (extension == known.upper)
            return known.kind;
    }
    return Other;
}

QList<QByteArray> FileKind::extensions(Kind kind)
{
    QList<QByteArray> found;
    for (const Extension &known : table) {
        if (known.kind == kind)
            found.append(known.upper);
    }
    return found;
}

QString FileKind::shownExtensions()
{
    QStringList shown;
    for (const Extension &known : table) {
        if (isCameraKind(known.kind))
            shown << QString::fromLatin1(known.upper).toLower();
    }
    return shown.join(QStringLiteral(", "));
}

QByteArray FileKind::extensionOf(const QByteArray &name)
{
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? name.mid(dot + 1) : QByteArray();
}

QByteArray FileKind::baseOf(const QByteArray &name)
{
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? name.left(dot) : name;
}

QList<QByteArray> FileKind::ownerBasesOf(const QByteArray &side)
{
    const QByteArray base = baseOf(side);
    QList<QByteArray> owners{base};
    // Sony numbers the descriptions of a clip M01, M02, ...
    const int n = base.size();
    if (extensionOf(side).toUpper() == "XML" && n > 3 && (base[n - 3] == 'M' || base[n - 3] == 'm') &&
        std::isdigit(static_cast<unsigned char>(base[n - 2])) &&
        std::isdigit(static_cast<unsigned char>(base[n - 1])))
        owners.append(base.left(n - 3));
    return owners;
}
