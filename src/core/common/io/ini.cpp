#include "core/common/io/ini.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/common/io/textcodec.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace tarvex {

namespace {

struct IniText {
    QStringList lines;
    QString lineEnd = QStringLiteral("\r\n");
};

IniText readIniText(const QString &filePath)
{
    IniText ini;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return ini;
    const QString text = decodeUtf8OrGbk(file.readAll());
    // CR LF, LF or CR, whichever the file uses, is kept when it is written.
    if (!text.contains(QLatin1String("\r\n"))) {
        if (text.contains(QLatin1Char('\n')))
            ini.lineEnd = QStringLiteral("\n");
        else if (text.contains(QLatin1Char('\r')))
            ini.lineEnd = QStringLiteral("\r");
    }
    // Split in one pass: replacing the line ends first moves the rest of a
    // large file once per line.
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        ini.lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        ini.lines.append(text.mid(start));
    return ini;
}

// Section name of a "[name]" line, or a null string for other lines.
QString sectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool isKeyLine(const QString &line, const QString &key, QString *value = nullptr)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return false;
    if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

// The value of the key in the first section of that name that has it.
// Views only: a large file is searched once per key without copying lines.
QString findValue(const QStringList &lines, const QString &section, const QString &key)
{
    bool inSection = false;
    for (const QString &line : lines) {
        const QStringView t = QStringView(line).trimmed();
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            inSection = t.mid(1, t.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection || t.startsWith(u';'))
            continue;
        const qsizetype eq = t.indexOf(u'=');
        if (eq >= 0 && t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return t.mid(eq + 1).trimmed().toString();
    }
    return QString();
}

} // namespace

IniFile::IniFile(const QString &filePath)
    : m_lines(readIniText(filePath).lines)
{
}

QString IniFile::value(const QString &section, const QString &key) const
{
    return findValue(m_lines, section, key);
}

QString ReadIni(const QString &filePath, const QString &section, const QString &key)
{
    return IniFile(filePath).value(section, key);
}

namespace {

// Puts key=value into the section's lines: replaces the key's line, or adds
// one after the section's last entry, or adds the section at the end.
void setKey(IniText &ini, const QString &section, const QString &key, const QString &value)
{
    int sectionStart = -1;
    int insertAt = -1;
    for (int i = 0; i < ini.lines.size(); ++i) {
        const QString name = sectionOf(ini.lines[i]);
        if (!name.isNull()) {
            if (sectionStart >= 0)
                break;
            if (name.compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (isKeyLine(ini.lines[i], key)) {
            // Keep the key as the file spells it.
            ini.lines[i]
                = ini.lines[i].left(ini.lines[i].indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') + value;
            return;
        }
        if (!ini.lines[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    const QString entry = key + QLatin1Char('=') + value;
    if (sectionStart >= 0) {
        ini.lines.insert(insertAt, entry);
        return;
    }
    if (!ini.lines.isEmpty() && !ini.lines.last().trimmed().isEmpty())
        ini.lines.append(QString());
    ini.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    ini.lines.append(entry);
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// Why the entries cannot be written, or empty text when they can.
QString refusal(const QString &filePath, const QString &section, const QList<IniEntry> &entries)
{
    const QString file = QDir::toNativeSeparators(filePath);
    if (hasLineBreak(section))
        return QStringLiteral("不能写入设置文件 %1: 节名含有换行符").arg(file);
    for (const IniEntry &e : entries) {
        if (hasLineBreak(e.key))
            return QStringLiteral("不能写入设置文件 %1: 键名含有换行符").arg(file);
        if (hasLineBreak(e.value))
            return QStringLiteral("不能写入设置文件 %1: [%2] %3 的值含有换行符").arg(file, section, e.key);
    }
    return QString();
}

} // namespace

bool WriteIni(const QString &filePath, const QString &section, const QString &key, const QString &value, QString *error)
{
    return WriteIni(filePath, section, QList<IniEntry> {{key, value}}, error);
}

bool WriteIni(const QString &filePath, const QString &section, const QList<IniEntry> &entries, QString *error)
{
    return WriteIni(filePath, QList<IniSection> {{section, entries}}, error);
}

bool WriteIni(const QString &filePath, const QList<IniSection> &sections, QString *error)
{
    for (const IniSection &section : sections) {
        const QString refused = refusal(filePath, section.name, section.entries);
        if (!refused.isEmpty()) {
            if (error)
                *error = refused;
            return false;
        }
    }
    IniText ini = readIniText(filePath);
    for (const IniSection &section : sections)
        for (const IniEntry &e : section.entries)
            setKey(ini, section.name, e.key, e.value);
    try {
        saveFileAtomically(filePath, (ini.lines.join(ini.lineEnd) + ini.lineEnd).toUtf8());
    } catch (const Error &e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

} // namespace tarvex
