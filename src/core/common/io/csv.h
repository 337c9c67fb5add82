#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tarvex {

// One record of a delimited text file and the line it starts on (from 1).
struct CsvRecord {
    int line = 0;
    QStringList fields;
    bool unclosedQuote = false; // the file ended inside a quoted field
};

// Splits the text of a delimited file into records. A field between double
// quotes may hold the delimiter, line breaks and doubled quotes; lines end in
// CR LF, LF or CR; an empty line gives no record. At most maxRecords records
// are read (all when negative).
QList<CsvRecord> parseCsv(const QString &text, QChar delimiter, int maxRecords = -1);

// The same record by record, for files too large to hold as records: sink
// takes each in turn and returns false to stop.
void parseCsv(const QString &text, QChar delimiter, const std::function<bool(CsvRecord &&)> &sink);

// The same for a text given piece by piece, as a large file is decoded:
// each record goes to `record` as soon as it is complete (a record may span
// pieces); when `record` returns false the reading stops and add() or
// finish() return false.
class CsvReader {
public:
    explicit CsvReader(QChar delimiter);

    bool add(QStringView text, const std::function<bool(CsvRecord &&)> &record);
    // The text has ended: the record not ended by a line end, if any.
    bool finish(const std::function<bool(CsvRecord &&)> &record);

private:
    bool skipEmptyLine(bool last);
    bool readRecord(bool last, CsvRecord &record);
    bool take(bool last, const std::function<bool(CsvRecord &&)> &record);

    QChar m_delimiter;
    QString m_pending; // the text of records not read yet
    qsizetype m_pos = 0;
    int m_line = 1;
};

// A field as written to a file: between quotes (inner quotes doubled) when
// it holds the delimiter, a quote, a line break or blanks at either end.
QString csvField(const QString &text, QChar delimiter);

// A text cell as a spreadsheet program must read it: a text starting with
// =, +, -, @, a tab or a CR would be taken for a formula when the file is
// opened, so it goes out behind an apostrophe (the spreadsheet's mark of a
// text), as does a text that starts with an apostrophe itself. A text that
// is a number as a whole stays as it is.
QString csvTextCell(const QString &text);
// The text of a cell written by csvTextCell: the apostrophe dropped again, so
// that an exported file imports unchanged.
QString textOfCsvCell(const QString &cell);

} // namespace tarvex
