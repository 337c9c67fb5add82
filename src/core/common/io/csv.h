#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarvex {

// One record of a delimited text file and the line it starts on (from 1).
struct CsvRecord {
    int line = 0;
    QStringList fields;
    bool unclosedQuote = false; // the file ended inside a quoted field
};

// Splits the text of a delimited file into records. A field between double
// quotes may hold the delimiter, line breaks and doubled quotes; lines end in
// CR LF, LF or CR. At most maxRecords records are read (all when negative).
QList<CsvRecord> parseCsv(const QString &text, QChar delimiter, int maxRecords = -1);

// A field as written to a file: between quotes (inner quotes doubled) when
// it holds the delimiter, a quote, a line break or blanks at either end.
QString csvField(const QString &text, QChar delimiter);

} // namespace tarvex
