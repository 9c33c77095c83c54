#ifndef TESSELIOCFG_H
#define TESSELIOCFG_H

#include <QString>

class QFile;
class QTextStream;
class TesselData;

// Reads "tessel.cfg" into the shared settings and writes them back whole.
class TesselIOCfg
{
public:
    explicit TesselIOCfg(TesselData *data);

    int ReadFile(const QString &dir, const QString &fileName);
    int WriteFile(const QString &dir, const QString &fileName);

    int findSection(QFile *file, QTextStream *stream, const QString &name, bool rewind);
    int splitEntry(const QString &line);
    QString toStringValue(const QString &text);
    int toIntValue(const QString &text);
    int writeStringEntry(QTextStream &stream, const QString &key, const QString &value);
    int writeIntEntry(QTextStream &stream, const QString &key, int value, const QString &format);

    // Whether the file can hold a string value: one line, no ";" (it ends
    // a value early) and only characters that Latin-1 can carry.
    static bool isStorable(const QString &value);

    QString entryKey;
    QString entrySeparator;
    QString entryValue;
    QString entryRest;

private:
    bool assignEntry();
    QString unstorableEntry() const;

    TesselData *data;
};

#endif
