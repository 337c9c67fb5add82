#pragma once

#include <QString>

namespace tarvex {

// Private-profile settings file access (cs.ini). A missing file, section or
// key reads as empty text; values are trimmed. Files in UTF-8 or GBK are read;
// writes keep the other lines, comments and line ends, and store UTF-8.
QString ReadIni(const QString &filePath, const QString &section, const QString &key);

// Creates the file and the section when missing. Returns false with a reason
// when the file cannot be written.
bool WriteIni(const QString &filePath, const QString &section, const QString &key, const QString &value,
    QString *error = nullptr);

} // namespace tarvex
