#include "core/common/io/xlsxreader.h"

#include "core/common/error.h"
#include "core/common/io/sheetdates.h"
#include "core/common/numbers.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QStringList>
#include <QXmlStreamReader>

#include <zip.h>

namespace tarvex {

namespace {

// A part larger than this is not a price list but an attack or an accident.
constexpr zip_uint64_t kMaxPartSize = 256u * 1024 * 1024;
constexpr int kMaxColumns = 16384;

// One part of the zip container read as a stream, so that a large sheet is
// never held whole.
class ZipPart : public QIODevice {
public:
    explicit ZipPart(zip_file_t *file)
        : m_file(file)
    {
        open(QIODevice::ReadOnly);
    }
    ~ZipPart() override { zip_fclose(m_file); }

    bool isSequential() const override { return true; }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        const zip_int64_t n = zip_fread(m_file, data, zip_uint64_t(size));
        if (n < 0) {
            m_failed = true;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file_t *m_file;
    bool m_failed = false;
};

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

    std::unique_ptr<ZipPart> open(const QString &name) const
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
        return std::make_unique<ZipPart>(file);
    }

    [[noreturn]] void fail(const QString &reason) const
    {
        throw Error(QStringLiteral("无法读取工作簿%1: %2").arg(QDir::toNativeSeparators(m_path), reason));
    }

    void check(const QXmlStreamReader &xml, const ZipPart &part, const QString &name) const
    {
        if (part.failed())
            fail(QStringLiteral("部件%1已损坏").arg(name));
        if (xml.hasError())
            fail(QStringLiteral("部件%1不是有效的XML(%2)").arg(name, xml.errorString()));
    }

    // Reads a part through the XML reader: step is called for every start
    // element, until it returns false.
    template <typename Step> void readXml(const QString &name, Step step) const
    {
        const std::unique_ptr<ZipPart> part = open(name);
        QXmlStreamReader xml(part.get());
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && !step(xml))
                break;
        }
        check(xml, *part, name);
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
    QString styles;
    bool date1904 = false;
};

Parts findParts(const Workbook &book)
{
    Parts parts;
    QString firstId;
    book.readXml(QStringLiteral("xl/workbook.xml"), [&](QXmlStreamReader &xml) {
        if (xml.name() == QLatin1String("workbookPr")) {
            const QString flag = attribute(xml, "date1904");
            parts.date1904 = flag == QLatin1String("1") || flag == QLatin1String("true");
        } else if (xml.name() == QLatin1String("sheet")) {
            firstId = relationshipId(xml);
        }
        return firstId.isEmpty();
    });
    if (firstId.isEmpty())
        book.fail(QStringLiteral("没有工作表"));
    book.readXml(QStringLiteral("xl/_rels/workbook.xml.rels"), [&](QXmlStreamReader &xml) {
        if (xml.name() != QLatin1String("Relationship"))
            return true;
        const QString type = attribute(xml, "Type");
        if (attribute(xml, "Id") == firstId)
            parts.sheet = partPath(attribute(xml, "Target"));
        else if (type.endsWith(QLatin1String("/sharedStrings")))
            parts.sharedStrings = partPath(attribute(xml, "Target"));
        else if (type.endsWith(QLatin1String("/styles")))
            parts.styles = partPath(attribute(xml, "Target"));
        return true;
    });
    if (parts.sheet.isEmpty())
        book.fail(QStringLiteral("找不到第一张工作表"));
    return parts;
}

QStringList readSharedStrings(const Workbook &book, const QString &name)
{
    QStringList strings;
    if (name.isEmpty() || !book.has(name))
        return strings;
    book.readXml(name, [&](QXmlStreamReader &xml) {
        if (xml.name() == QLatin1String("si"))
            strings.append(readRichText(xml));
        return true;
    });
    return strings;
}

// Per cell style (the s attribute): the date format it shows a number in,
// empty for styles that show numbers as numbers.
QStringList readDateStyles(const Workbook &book, const QString &name)
{
    QStringList styles;
    if (name.isEmpty() || !book.has(name))
        return styles;
    QHash<int, QString> customCodes;
    bool inCellStyles = false;
    book.readXml(name, [&](QXmlStreamReader &xml) {
        if (xml.name() == QLatin1String("numFmt")) {
            customCodes.insert(attribute(xml, "numFmtId").toInt(), attribute(xml, "formatCode"));
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellStyles = true;
        } else if (xml.name() == QLatin1String("cellStyleXfs") || xml.name() == QLatin1String("dxfs")) {
            inCellStyles = false;
        } else if (inCellStyles && xml.name() == QLatin1String("xf")) {
            const int id = attribute(xml, "numFmtId").toInt();
            const QString code = customCodes.contains(id) ? customCodes.value(id) : builtinNumberFormat(id);
            styles.append(isDateFormat(code) ? code : QString());
        }
        return true;
    });
    return styles;
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

class SheetReader {
public:
    SheetReader(const Workbook &book, const Parts &parts, const std::function<void(SheetRow &&)> &sink)
        : m_book(book)
        , m_parts(parts)
        , m_strings(readSharedStrings(book, parts.sharedStrings))
        , m_dateStyles(readDateStyles(book, parts.styles))
        , m_sink(sink)
    {
    }

    void read()
    {
        m_book.readXml(m_parts.sheet, [&](QXmlStreamReader &xml) {
            if (xml.name() == QLatin1String("row"))
                startRow(xml);
            else if (xml.name() == QLatin1String("c"))
                readCell(xml);
            return true;
        });
        finishRow();
    }

private:
    void startRow(const QXmlStreamReader &xml)
    {
        finishRow();
        bool ok = false;
        const int number = attribute(xml, "r").toInt(&ok);
        m_current.line = ok && number > m_current.line ? number : m_current.line + 1;
        m_column = -1;
    }

    void finishRow()
    {
        if (!m_current.cells.isEmpty()) {
            const int line = m_current.line;
            m_sink(std::move(m_current));
            m_current = SheetRow {line, {}};
        }
    }

    SheetCell cell(QStringView type, const QString &value, int style) const
    {
        SheetCell c {m_column, QString(), false};
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = value.toInt(&ok);
            c.text = ok && index >= 0 && index < m_strings.size() ? m_strings.at(index) : QString();
        } else if (type == QLatin1String("b")) {
            c.text = value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else if (type == QLatin1String("d")) {
            c.text = value;
            c.date = true;
        } else if (type.isEmpty() || type == QLatin1String("n")) {
            double number = 0;
            const QString dateFormat = style >= 0 && style < m_dateStyles.size() ? m_dateStyles.at(style) : QString();
            if (!parseNumber(value, &number)) {
                c.text = value;
            } else if (!dateFormat.isEmpty()) {
                c.text = shownSheetDate(number, dateFormat, m_parts.date1904);
                c.date = true;
            } else {
                c.text = plainNumber(number);
            }
        } else {
            c.text = value;
        }
        return c;
    }

    void readCell(QXmlStreamReader &xml)
    {
        const int given = columnOf(xml.attributes().value(QLatin1String("r")));
        m_column = given >= 0 ? given : m_column + 1;
        if (m_column >= kMaxColumns)
            m_book.fail(QStringLiteral("第%1行的列超出范围").arg(m_current.line));
        const QString type = attribute(xml, "t");
        bool styled = false;
        const int style = xml.attributes().value(QLatin1String("s")).toInt(&styled);
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
        SheetCell c = cell(type, value, styled ? style : -1);
        if (c.text.isEmpty())
            return;
        // A column given twice keeps its last cell, as the spreadsheet would.
        if (!m_current.cells.isEmpty() && m_current.cells.last().column >= c.column) {
            for (qsizetype i = 0; i < m_current.cells.size(); ++i) {
                if (m_current.cells.at(i).column == c.column) {
                    m_current.cells[i] = std::move(c);
                    return;
                }
                if (m_current.cells.at(i).column > c.column) {
                    m_current.cells.insert(i, std::move(c));
                    return;
                }
            }
        }
        m_current.cells.append(std::move(c));
    }

    const Workbook &m_book;
    const Parts &m_parts;
    const QStringList m_strings;
    const QStringList m_dateStyles;
    const std::function<void(SheetRow &&)> &m_sink;
    SheetRow m_current;
    int m_column = -1;
};

} // namespace

void readFirstSheet(const QString &path, const std::function<void(SheetRow &&)> &sink)
{
    if (!QFile::exists(path))
        throw Error(QStringLiteral("找不到文件%1").arg(QDir::toNativeSeparators(path)));
    const Workbook book(path);
    const Parts parts = findParts(book);
    SheetReader(book, parts, sink).read();
}

} // namespace tarvex
