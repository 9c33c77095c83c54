#ifndef TESSELIOCFG_H
#define TESSELIOCFG_H

#include <QCoreApplication>
#include <QString>

class QFile;
class QTextStream;
class TesselData;
struct SettingField;

// Reads "tessel.cfg" into the shared settings and writes them back whole.
class TesselIOCfg
{
    Q_DECLARE_TR_FUNCTIONS(TesselIOCfg)
public:
    explicit TesselIOCfg(TesselData *data);

    int ReadFile(const QString &dir, const QString &fileName);
    int WriteFile(const QString &dir, const QString &fileName);
    // Why the last WriteFile failed, in words for the user.
    QString writeFailure() const { return failure; }
    // The file that ReadFile and WriteFile use for the directory and name.
    static QString filePath(const QString &dir, const QString &fileName);

    int findSection(QFile *file, QTextStream *stream, const QString &name, bool rewind);
    int splitEntry(const QString &line);
    QString toStringValue(const QString &text);
    int toIntValue(const QString &text);
    int writeStringEntry(QTextStream &stream, const QString &key, const QString &value);
    int writeIntEntry(QTextStream &stream, const QString &key, int value, const QString &format);

    // Whether the file can hold a string value: one line, no ";" (it ends
    // a value early) and nothing that UTF-8 cannot carry (a lone half of a
    // surrogate pair).
    static bool isStorable(const QString &value);
    // A number as the file writes it: decimal, or hexadecimal after "0x",
    // "0h", "x" or "h". False for any other text.
    static bool numberFromText(const QString &text, int *value);

    QString entryKey;
    QString entrySeparator;
    QString entryValue;
    QString entryRest;

private:
    bool assignEntry();
    void assignNumber(const SettingField &field);
    QString unstorableEntry() const;
    int refuseWrite(const QString &path, const QString &diagnostic, const QString &reason);

    TesselData *data;
    QString failure;
};

#endif
