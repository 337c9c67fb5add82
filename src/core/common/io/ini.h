#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarvex {

// Private-profile settings file access (cs.ini). A missing file, section or
// key reads as empty text; values are trimmed. Files in UTF-8 or GBK are read;
// writes keep the other lines, comments and line ends, and store UTF-8.
QString ReadIni(const QString &filePath, const QString &section, const QString &key);

// The file read once, for an operation that needs several of its keys: each
// ReadIni reads the whole file again.
class IniFile {
public:
    explicit IniFile(const QString &filePath);
    // As ReadIni.
    QString value(const QString &section, const QString &key) const;

private:
    QStringList m_lines;
};

// Creates the file and the section when missing. Returns false with a reason
// when the file cannot be written, or when the section, a key or a value
// holds a line break (it would start a line of its own in the file); the file
// is then left as it was.
bool WriteIni(const QString &filePath, const QString &section, const QString &key, const QString &value,
    QString *error = nullptr);

// Several keys of one section in one write of the file: all or none.
struct IniEntry {
    QString key;
    QString value;
};
bool WriteIni(
    const QString &filePath, const QString &section, const QList<IniEntry> &entries, QString *error = nullptr);

// Keys of several sections in one write of the file: all or none.
struct IniSection {
    QString name;
    QList<IniEntry> entries;
};
bool WriteIni(const QString &filePath, const QList<IniSection> &sections, QString *error = nullptr);

} // namespace tarvex
