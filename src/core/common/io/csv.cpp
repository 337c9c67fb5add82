#include "core/common/io/csv.h"

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

// Reads one record from m_pending at m_pos. False when the text given so far
// ends inside it: a CR at the end may be the first half of a CR LF.
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
        if (!last && c == u'\r' && pos == text.size())
            return false;
        if (quoted) {
            if (c == kQuote) {
                if (pos == text.size() && !last)
                    return false;
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
    while (m_pos < m_pending.size() && readRecord(last, next)) {
        if (!record(std::move(next)))
            return false;
    }
    m_pending.remove(0, m_pos);
    m_pos = 0;
    return true;
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
    const auto keep = [&](CsvRecord &&record) {
        records.append(std::move(record));
        return maxRecords < 0 || records.size() < maxRecords;
    };
    CsvReader reader(delimiter);
    if (reader.add(text, keep))
        reader.finish(keep);
    return records;
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

} // namespace tarvex
