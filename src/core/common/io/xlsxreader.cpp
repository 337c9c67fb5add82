#include "core/common/io/xlsxreader.h"

#include "core/common/error.h"
#include "core/common/numbers.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

namespace tarvex {

namespace {

// A part larger than this is not a price list but an attack or an accident.
constexpr zip_uint64_t kMaxPartSize = 256u * 1024 * 1024;
constexpr int kMaxColumns = 16384;

class Workbook {
public:
    explicit Workbook(const QString &path)
        : m_path(path)
    {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
        if (!m_zip)
            fail(QStringLiteral("不是xlsx工作簿(无法作为zip打开)"));
    }
    ~Workbook()
    {
        if (m_zip)
            zip_discard(m_zip);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    bool has(const QString &name) const { return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0; }

    QByteArray part(const QString &name) const
    {
        const QByteArray utf8 = name.toUtf8();
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(m_zip, utf8.constData(), 0, &stat) != 0)
            fail(QStringLiteral("缺少部件%1").arg(name));
        if (!(stat.valid & ZIP_STAT_SIZE) || stat.size > kMaxPartSize)
            fail(QStringLiteral("部件%1过大").arg(name));
        zip_file_t *file = zip_fopen(m_zip, utf8.constData(), 0);
        if (!file)
            fail(QStringLiteral("无法读取部件%1").arg(name));
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        if (read < 0 || zip_uint64_t(read) != stat.size)
            fail(QStringLiteral("部件%1已损坏").arg(name));
        return bytes;
    }

    [[noreturn]] void fail(const QString &reason) const
    {
        throw Error(QStringLiteral("无法读取工作簿%1: %2").arg(QDir::toNativeSeparators(m_path), reason));
    }

    void check(const QXmlStreamReader &xml, const QString &name) const
    {
        if (xml.hasError())
            fail(QStringLiteral("部件%1不是有效的XML(%2)").arg(name, xml.errorString()));
    }

private:
    QString m_path;
    zip_t *m_zip = nullptr;
};

QString attribute(const QXmlStreamReader &xml, const char *name)
{
    return xml.attributes().value(QLatin1String(name)).toString();
}

// The text of an <si> or <is> element: its <t> runs, without phonetic hints.
QString readRichText(QXmlStreamReader &xml)
{
    QString text;
    const QString end = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

// The r:id of a <sheet>, whichever relationships namespace the file uses.
QString relationshipId(const QXmlStreamReader &xml)
{
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
            return a.value().toString();
    return QString();
}

// Part names are relative to xl/ unless they start with "/".
QString partPath(const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QDir::cleanPath(QStringLiteral("xl/") + target);
}

struct Parts {
    QString sheet;
    QString sharedStrings;
};

Parts findParts(const Workbook &book)
{
    QString firstId;
    {
        QXmlStreamReader xml(book.part(QStringLiteral("xl/workbook.xml")));
        while (!xml.atEnd() && firstId.isEmpty()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet"))
                firstId = relationshipId(xml);
        }
        book.check(xml, QStringLiteral("xl/workbook.xml"));
    }
    if (firstId.isEmpty())
        book.fail(QStringLiteral("没有工作表"));
    Parts parts;
    QXmlStreamReader xml(book.part(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Relationship"))
            continue;
        const QString type = attribute(xml, "Type");
        if (attribute(xml, "Id") == firstId)
            parts.sheet = partPath(attribute(xml, "Target"));
        else if (type.endsWith(QLatin1String("/sharedStrings")))
            parts.sharedStrings = partPath(attribute(xml, "Target"));
    }
    book.check(xml, QStringLiteral("xl/_rels/workbook.xml.rels"));
    if (parts.sheet.isEmpty())
        book.fail(QStringLiteral("找不到第一张工作表"));
    return parts;
}

QStringList readSharedStrings(const Workbook &book, const QString &name)
{
    QStringList strings;
    if (name.isEmpty() || !book.has(name))
        return strings;
    QXmlStreamReader xml(book.part(name));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.append(readRichText(xml));
    }
    book.check(xml, name);
    return strings;
}

// Column index from 0 of a reference like "AB12"; -1 when it has no letters.
int columnOf(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : reference) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (++letters > 3)
            return kMaxColumns;
    }
    return letters == 0 ? -1 : column - 1;
}

QString cellText(QStringView type, const QString &value, const QStringList &strings)
{
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        return ok && index >= 0 && index < strings.size() ? strings.at(index) : QString();
    }
    if (type == QLatin1String("b"))
        return value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type.isEmpty() || type == QLatin1String("n")) {
        double number = 0;
        if (parseNumber(value, &number))
            return plainNumber(number);
    }
    return value;
}

class SheetReader {
public:
    SheetReader(const Workbook &book, const QString &name, const QStringList &strings,
        const std::function<void(SheetRow &&)> &take)
        : m_book(book)
        , m_name(name)
        , m_strings(strings)
        , m_take(take)
    {
    }

    void read()
    {
        QXmlStreamReader xml(m_book.part(m_name));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("row"))
                startRow(xml);
            else if (xml.name() == QLatin1String("c"))
                readCell(xml);
        }
        m_book.check(xml, m_name);
        finishRow();
    }

private:
    void startRow(const QXmlStreamReader &xml)
    {
        finishRow();
        bool ok = false;
        const int number = attribute(xml, "r").toInt(&ok);
        m_current.line = ok && number > m_current.line ? number : m_current.line + 1;
        m_current.cells.clear();
        m_column = -1;
    }

    void finishRow()
    {
        while (!m_current.cells.isEmpty() && m_current.cells.last().isEmpty())
            m_current.cells.removeLast();
        if (!m_current.cells.isEmpty())
            m_take(SheetRow(m_current));
        m_current.cells.clear();
    }

    void readCell(QXmlStreamReader &xml)
    {
        const int given = columnOf(xml.attributes().value(QLatin1String("r")));
        m_column = given >= 0 ? given : m_column + 1;
        if (m_column >= kMaxColumns)
            m_book.fail(QStringLiteral("第%1行的列超出范围").arg(m_current.line));
        const QString type = xml.attributes().value(QLatin1String("t")).toString();
        QString value;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("v"))
                value = xml.readElementText();
            else if (xml.isStartElement() && xml.name() == QLatin1String("is"))
                value = readRichText(xml);
            else if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                break;
        }
        const QString text = cellText(type, value, m_strings);
        if (text.isEmpty())
            return;
        while (m_current.cells.size() <= m_column)
            m_current.cells.append(QString());
        m_current.cells[m_column] = text;
    }

    const Workbook &m_book;
    QString m_name;
    const QStringList &m_strings;
    const std::function<void(SheetRow &&)> &m_take;
    SheetRow m_current;
    int m_column = -1;
};

} // namespace

void readFirstSheet(const QString &path, const std::function<void(SheetRow &&)> &row)
{
    if (!QFile::exists(path))
        throw Error(QStringLiteral("找不到文件%1").arg(QDir::toNativeSeparators(path)));
    const Workbook book(path);
    const Parts parts = findParts(book);
    const QStringList strings = readSharedStrings(book, parts.sharedStrings);
    SheetReader(book, parts.sheet, strings, row).read();
}

} // namespace tarvex
