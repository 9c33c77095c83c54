#include "config/tesseliocfg.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringConverter>
#include <QTextStream>

#include <cstdio>

#include "config/settingfield.h"
#include "config/tesseldata.h"

namespace {

const char *const sectionName = "HEADER";
const char *const endMarker = "##EOF TESSEL CONFIG FILE ";

// A null directory means "no file"; an empty one means the working directory.
bool buildPath(const QString &dir, const QString &fileName, QString *path)
{
    if (dir.isNull())
        return false;
    *path = dir.isEmpty() ? fileName : dir + "/" + fileName;
    return true;
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

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printf("\nTesselIOCfg::ReadFile - file not found (%s)\n", qPrintable(path));
        fflush(stdout);
        return -1;
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Latin1);

    if (findSection(&file, &stream, sectionName, true) < 0) {
        printf("\nTesselIOCfg::ReadFile - section not found : %s\n", sectionName);
        fflush(stdout);
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
            printf("\nTesselIOCfg::ReadFile(%s) : malformed entry : %s\n", sectionName,
                   qPrintable(line));
            fflush(stdout);
            continue;
        }
        if (!assignEntry()) {
            printf("\nTesselIOCfg::ReadFile(%s) : unknown header-entry : %s\n", sectionName,
                   qPrintable(entryKey));
            fflush(stdout);
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
            data->*field.number = toIntValue(entryValue);
        return true;
    }
    return false;
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
    if (text.isNull())
        return 0;

    bool ok = false;
    int value;
    if (text.startsWith("0x") || text.startsWith("0h"))
        value = text.mid(2).toInt(&ok, 16);
    else if (text.startsWith('x') || text.startsWith('h'))
        value = text.mid(1).toInt(&ok, 16);
    else
        value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

bool TesselIOCfg::isStorable(const QString &value)
{
    for (QChar c : value) {
        if (c == '\n' || c == '\r' || c == ';' || c.unicode() > 0xff)
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
    QString path;
    if (!buildPath(dir, fileName, &path))
        return -1;

    // A value with a line break would smuggle entries of its own into the
    // file, and one with ";" would read back cut short: keep the old file.
    const QString badKey = unstorableEntry();
    if (!badKey.isEmpty()) {
        printf("\nTesselIOCfg::WriteFile(%s) : value of %s cannot be stored"
               " (line break, ';' or a character outside Latin-1)\n",
               qPrintable(path), qPrintable(badKey));
        fflush(stdout);
        return -1;
    }

    // Written beside the old file and renamed over it only when complete,
    // so a failure at any point leaves the previous file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        printf("\nTesselIOCfg::WriteFile(%s) : file not open\n", qPrintable(path));
        fflush(stdout);
        return -1;
    }

    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Latin1);
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

    if (stream.status() != QTextStream::Ok || !file.commit()) {
        printf("\nTesselIOCfg::WriteFile(%s) : write failed (%s)\n", qPrintable(path),
               qPrintable(file.errorString()));
        fflush(stdout);
        return -1;
    }
    return 0;
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
