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

// Reads the records of a delimited text given piece by piece, as a large
// file is decoded: each record goes to `record` as soon as it is complete
// (a record may span pieces); when `record` returns false the reading stops
// and add() or finish() return false. The rules of parseCsv.
class CsvReader {
public:
    explicit CsvReader(QChar delimiter);

    bool add(QStringView text, const std::function<bool(CsvRecord &&)> &record);
    // The text has ended: the record not ended by a line end, if any.
    bool finish(const std::function<bool(CsvRecord &&)> &record);

private:
    bool readRecord(bool last, CsvRecord &record);
    bool take(bool last, const std::function<bool(CsvRecord &&)> &record);

    QChar m_delimiter;
    QString m_pending; // the text of records not read yet
    qsizetype m_pos = 0;
    int m_line = 1;
};

// Splits the text of a delimited file into records. A field between double
// quotes may hold the delimiter, line breaks and doubled quotes; lines end in
// CR LF, LF or CR. At most maxRecords records are read (all when negative).
QList<CsvRecord> parseCsv(const QString &text, QChar delimiter, int maxRecords = -1);

// A field as written to a file: between quotes (inner quotes doubled) when
// it holds the delimiter, a quote, a line break or blanks at either end.
QString csvField(const QString &text, QChar delimiter);

} // namespace tarvex
