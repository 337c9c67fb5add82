#include "core/common/io/csv.h"

#include "core/common/numbers.h"

namespace tarvex {

namespace {

constexpr QChar kQuote = u'"';

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

CsvReader::CsvReader(QChar delimiter)
    : m_delimiter(delimiter)
{
}

// Passes over an empty line at the start of a record: true when it did.
// False too for a CR at the end of a piece, which may be the first half of
// a CR LF.
bool CsvReader::skipEmptyLine(bool last)
{
    const QChar c = m_pending.at(m_pos);
    if (!isLineEnd(c) || (!last && c == u'\r' && m_pos + 1 == m_pending.size()))
        return false;
    ++m_pos;
    if (c == u'\r' && m_pos < m_pending.size() && m_pending.at(m_pos) == u'\n')
        ++m_pos;
    ++m_line;
    return true;
}

// Reads one record at m_pos. False when the text given so far ends inside
// it, or in a CR or a quote whose meaning the next character decides.
bool CsvReader::readRecord(bool last, CsvRecord &record)
{
    const QString &text = m_pending;
    qsizetype pos = m_pos;
    int line = m_line;
    record = CsvRecord();
    record.line = line;
    QString field;
    bool quoted = false;
    auto takeLineEnd = [&](QChar c) {
        if (c == u'\r' && pos < text.size() && text.at(pos) == u'\n')
            ++pos;
        ++line;
    };
    while (pos < text.size()) {
        const QChar c = text.at(pos++);
        if (!last && pos == text.size() && (c == u'\r' || (quoted && c == kQuote)))
            return false;
        if (quoted) {
            if (c == kQuote) {
                if (pos < text.size() && text.at(pos) == kQuote) {
                    field += kQuote;
                    ++pos;
                } else {
                    quoted = false;
                }
            } else if (isLineEnd(c)) {
                // The text keeps a line end inside a field as LF.
                takeLineEnd(c);
                field += u'\n';
            } else {
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
            m_pos = pos;
            m_line = line;
            return true;
        } else {
            field += c;
        }
    }
    if (!last)
        return false;
    record.unclosedQuote = quoted;
    record.fields.append(field);
    m_pos = pos;
    m_line = line;
    return true;
}

bool CsvReader::take(bool last, const std::function<bool(CsvRecord &&)> &record)
{
    CsvRecord next;
    bool goOn = true;
    while (goOn && m_pos < m_pending.size()) {
        if (skipEmptyLine(last))
            continue;
        if (!readRecord(last, next))
            break;
        goOn = record(std::move(next));
    }
    m_pending.remove(0, m_pos);
    m_pos = 0;
    return goOn;
}

bool CsvReader::add(QStringView text, const std::function<bool(CsvRecord &&)> &record)
{
    m_pending += text;
    return take(false, record);
}

bool CsvReader::finish(const std::function<bool(CsvRecord &&)> &record)
{
    return take(true, record);
}

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
    CsvReader reader(delimiter);
    if (reader.add(text, sink))
        reader.finish(sink);
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
