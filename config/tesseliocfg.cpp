#include "tesseliocfg.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringDecoder>
#include <QTextStream>

#include <sys/stat.h>

#include <cstdio>

#include "settingfield.h"
#include "tesseldata.h"
#include "diagnostics.h"
#include "regularfile.h"

namespace {

const char *const sectionName = "HEADER";
const char *const endMarker = "##EOF TESSEL CONFIG FILE ";

// A null directory means "no file".
bool buildPath(const QString &dir, const QString &fileName, QString *path)
{
    if (dir.isNull())
        return false;
    *path = TesselIOCfg::filePath(dir, fileName);
    return true;
}

// We write UTF-8; earlier versions wrote Latin-1, which shows in bytes that
// are not UTF-8. Decided for the whole file, so its values never mix both.
QStringConverter::Encoding encodingOf(QFile &file)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString decoded;
    while (!file.atEnd() && !utf8.hasError())
        decoded = utf8.decode(file.read(64 * 1024));
    // A sequence cut off at the end shows as an error once a byte follows.
    decoded = utf8.decode(QByteArrayView("\n"));
    file.seek(0);
    return utf8.hasError() ? QStringConverter::Latin1 : QStringConverter::Utf8;
}

// Writing in place into a FIFO or a device would wait, or never end.
bool isSpecialFile(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

} // namespace

TesselIOCfg::TesselIOCfg(TesselData *settings)
    : data(settings)
{
}

int TesselIOCfg::ReadFile(const QString &dir, const QString &fileName)
{
    QString path;
    if (!buildPath(dir, fileName, &path))
        return -1;

    RegularFile file(path);
    if (!file.isOpen()) {
        Diagnostics::print("\nTesselIOCfg::ReadFile - file not found (" + path.toLocal8Bit() +
                           ")\n");
        return -1;
    }
    QTextStream stream(&file);
    stream.setAutoDetectUnicode(false);
    stream.setEncoding(encodingOf(file));

    if (findSection(&file, &stream, sectionName, true) < 0) {
        Diagnostics::print("\nTesselIOCfg::ReadFile - section not found : " +
                           QByteArray(sectionName) + "\n");
        return -1;
    }

    // The entries run to the first empty line; a hand-written file may end
    // without one, so the last line of the file counts like any other.
    while (!stream.atEnd()) {
        const QString line = stream.readLine();
        if (line.isEmpty() || line.startsWith(endMarker))
            break;
        if (line.startsWith('#'))
            continue;
        if (splitEntry(line) != 0) {
            Diagnostics::print("\nTesselIOCfg::ReadFile(" + QByteArray(sectionName) +
                               ") : malformed entry : " + line.toLocal8Bit() + "\n");
            continue;
        }
        if (!assignEntry()) {
            Diagnostics::print("\nTesselIOCfg::ReadFile(" + QByteArray(sectionName) +
                               ") : unknown header-entry : " + entryKey.toLocal8Bit() + "\n");
        }
    }
    return 0;
}

bool TesselIOCfg::assignEntry()
{
    for (const SettingField &field : SettingField::all()) {
        if (entryKey != QLatin1String(field.key))
            continue;
        if (field.text)
            data->*field.text = toStringValue(entryValue);
        else
            assignNumber(field);
        return true;
    }
    return false;
}

void TesselIOCfg::assignNumber(const SettingField &field)
{
    const int value = toIntValue(entryValue);
    if (field.accepts(value)) {
        data->*field.number = value;
        return;
    }
    Diagnostics::print("\nTesselIOCfg::ReadFile(" + QByteArray(sectionName) + ") : " +
                       QByteArray(field.key) + " out of range (" + QByteArray::number(field.least) +
                       " to " + QByteArray::number(field.most) +
                       ") : " + entryValue.toLocal8Bit() + "\n");
}

int TesselIOCfg::findSection(QFile *file, QTextStream *stream, const QString &name, bool rewind)
{
    if (name.isEmpty() || !file || !stream || !file->isOpen())
        return -3;

    const QString marker = "[" + name + "]";
    if (rewind)
        stream->seek(0);
    while (!stream->atEnd()) {
        if (stream->readLine().left(marker.length()) == marker)
            break;
    }
    return stream->atEnd() ? -1 : 0;
}

int TesselIOCfg::splitEntry(const QString &line)
{
    if (line.isEmpty())
        return -2;

    entryKey = "";
    entrySeparator = "";
    entryValue = "";
    entryRest = "";

    const int equals = line.indexOf('=');
    if (equals < 0)
        return -1;
    entryKey = line.left(equals);
    entrySeparator = "=";

    const QString tail = line.mid(equals + 1);
    const int semicolon = tail.indexOf(';');
    if (semicolon < 0)
        return -1;
    entryValue = tail.left(semicolon);
    entryRest = tail.mid(semicolon + 1);
    return 0;
}

QString TesselIOCfg::toStringValue(const QString &text)
{
    return text.isNull() ? QString("") : text;
}

int TesselIOCfg::toIntValue(const QString &text)
{
    int value = 0;
    return !text.isNull() && numberFromText(text, &value) ? value : 0;
}

bool TesselIOCfg::numberFromText(const QString &text, int *value)
{
    bool ok = false;
    if (text.startsWith("0x") || text.startsWith("0h"))
        *value = text.mid(2).toInt(&ok, 16);
    else if (text.startsWith('x') || text.startsWith('h'))
        *value = text.mid(1).toInt(&ok, 16);
    else
        *value = text.toInt(&ok, 10);
    return ok;
}

QString TesselIOCfg::filePath(const QString &dir, const QString &fileName)
{
    // An empty directory means the working directory.
    return dir.isEmpty() ? fileName : dir + "/" + fileName;
}

bool TesselIOCfg::isStorable(const QString &value)
{
    if (!value.isValidUtf16())
        return false;
    for (QChar c : value) {
        if (c == '\n' || c == '\r' || c == ';')
            return false;
    }
    return true;
}

QString TesselIOCfg::unstorableEntry() const
{
    for (const SettingField &field : SettingField::all()) {
        if (field.text && !isStorable(data->*field.text))
            return field.key;
    }
    return QString();
}

int TesselIOCfg::WriteFile(const QString &dir, const QString &fileName)
{
    failure.clear();
    QString path;
    if (!buildPath(dir, fileName, &path))
        return -1;

    // A value with a line break would smuggle entries of its own into the
    // file, and one with ";" would read back cut short: keep the old file.
    const QString badKey = unstorableEntry();
    if (!badKey.isEmpty()) {
        return refuseWrite(path,
                           "value of " + badKey + " cannot be stored (line break, ';' or a "
                                                  "character that is not valid Unicode)",
                           tr("The value of %1 contains a line break, \";\" or a character "
                              "the settings file cannot hold.")
                               .arg(badKey));
    }
    const QString notOpen = "file not open";
    if (!dir.isEmpty() && !QDir().mkpath(dir))
        return refuseWrite(path, notOpen, tr("The folder %1 cannot be created.").arg(dir));
    if (isSpecialFile(path))
        return refuseWrite(path, notOpen, tr("This is not a plain file."));

    // Written beside the old file and renamed over it only when complete,
    // so a failure at any point leaves the previous file as it was. Only
    // where the folder forbids new files is the file rewritten in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return refuseWrite(path, notOpen, file.errorString());

    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Utf8);
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();

    stream << "<?tessel version=\"0.1\" type=\"config\"?>\n";
    stream << "#" << QString(61, '-') << "\n";
    stream << "# Config-File for tessel\n";
    stream << "# written from tessel : " << "0.1.0" << "\n";
    stream << QString::asprintf("# last modified : date = %02d.%02d.%04d\n", date.day(),
                                date.month(), date.year());
    stream << QString::asprintf("#                 time = %02d:%02d:%02d\n", time.hour(),
                                time.minute(), time.second());
    stream << "#\n";
    stream << "# File is automatically generated, dont modify manually\n";
    stream << "#\n";
    stream << "\n";
    stream << QString::asprintf("[%s]\n", sectionName);
    for (const SettingField &field : SettingField::all()) {
        if (field.text)
            writeStringEntry(stream, field.key, data->*field.text);
        else
            writeIntEntry(stream, field.key, data->*field.number, "%d");
    }
    stream << "\n";
    stream << endMarker << "\n";
    stream.flush();

    if (stream.status() != QTextStream::Ok || !file.commit())
        return refuseWrite(path, "write failed (" + file.errorString() + ")", file.errorString());
    return 0;
}

int TesselIOCfg::refuseWrite(const QString &path, const QString &diagnostic,
                             const QString &reason)
{
    Diagnostics::print("\nTesselIOCfg::WriteFile(" + path.toLocal8Bit() +
                       ") : " + diagnostic.toLocal8Bit() + "\n");
    failure = reason;
    return -1;
}

int TesselIOCfg::writeStringEntry(QTextStream &stream, const QString &key, const QString &value)
{
    stream << key << "=" << value << ";\n";
    return 0;
}

int TesselIOCfg::writeIntEntry(QTextStream &stream, const QString &key, int value,
                               const QString &format)
{
    const QByteArray lineFormat = QString("%s=" + format + ";\n").toLatin1();
    stream << QString::asprintf(lineFormat.constData(), key.toLatin1().constData(), value);
    return 0;
}
