#include "core/common/io/csv.h"

#include "core/common/numbers.h"

namespace tarvex {

namespace {

constexpr QChar kQuote = u'"';

class CsvParser {
public:
    CsvParser(const QString &text, QChar delimiter)
        : m_text(text)
        , m_delimiter(delimiter)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }

    // Passes over an empty line at the start of a record: true when it did.
    bool skipEmptyLine()
    {
        if (atEnd() || !isLineEnd(m_text.at(m_pos)))
            return false;
        takeLineEnd(m_text.at(m_pos++));
        return true;
    }

    CsvRecord next()
    {
        CsvRecord record;
        record.line = m_line;
        QString field;
        bool quoted = false;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos++);
            if (quoted) {
                if (c == kQuote) {
                    if (m_pos < m_text.size() && m_text.at(m_pos) == kQuote) {
                        field += kQuote;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (isLineEnd(c))
                        field += takeLineEnd(c);
                    else
                        field += c;
                }
            } else if (c == kQuote && field.isEmpty()) {
                quoted = true;
            } else if (c == m_delimiter) {
                record.fields.append(field);
                field.clear();
            } else if (isLineEnd(c)) {
                takeLineEnd(c);
                record.fields.append(field);
                return record;
            } else {
                field += c;
            }
        }
        record.unclosedQuote = quoted;
        record.fields.append(field);
        return record;
    }

private:
    static bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

    // Consumes a CR LF pair as one line end; the text keeps it as LF.
    QChar takeLineEnd(QChar c)
    {
        if (c == u'\r' && m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
            ++m_pos;
        ++m_line;
        return u'\n';
    }

    const QString &m_text;
    QChar m_delimiter;
    int m_pos = 0;
    int m_line = 1;
};

} // namespace

QList<CsvRecord> parseCsv(const QString &text, QChar delimiter, int maxRecords)
{
    QList<CsvRecord> records;
    if (maxRecords == 0)
        return records;
    parseCsv(text, delimiter, [&](CsvRecord &&record) {
        records.append(std::move(record));
        return maxRecords < 0 || records.size() < maxRecords;
    });
    return records;
}

void parseCsv(const QString &text, QChar delimiter, const std::function<bool(CsvRecord &&)> &sink)
{
    CsvParser parser(text, delimiter);
    while (!parser.atEnd()) {
        if (!parser.skipEmptyLine() && !sink(parser.next()))
            return;
    }
}

QString csvField(const QString &text, QChar delimiter)
{
    const bool quote = text.contains(delimiter) || text.contains(kQuote) || text.contains(u'\n') || text.contains(u'\r')
        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString doubled = text;
    doubled.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + doubled + kQuote;
}

namespace {

bool startsFormula(QStringView text)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && starts.contains(text.front());
}

bool needsMark(QStringView text)
{
    return startsFormula(text) || text.startsWith(u'\'');
}

} // namespace

QString csvTextCell(const QString &text)
{
    if (!needsMark(text) || parseNumber(text, nullptr))
        return text;
    return QLatin1Char('\'') + text;
}

QString textOfCsvCell(const QString &cell)
{
    if (cell.startsWith(u'\'') && needsMark(QStringView(cell).mid(1)))
        return cell.mid(1);
    return cell;
}

} // namespace tarvex
