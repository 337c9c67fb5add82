#include "core/common/io/csv.h"

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
    CsvParser parser(text, delimiter);
    while (!parser.atEnd() && (maxRecords < 0 || records.size() < maxRecords))
        records.append(parser.next());
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
