#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace tarvex {

// A cell of a worksheet that holds anything: its column from 0 and its text.
// Texts come from shared or inline strings, numbers in their shortest exact
// decimal form, booleans as TRUE/FALSE, formulas as their stored result. A
// number formatted as a date or time is written as the sheet shows it
// ("2024-03-01", "2024/3/1", "8:30") and marked.
struct SheetCell {
    int column = 0;
    QString text;
    bool date = false;
};

// One row of a worksheet: its row number as the spreadsheet shows it and the
// cells that hold anything, in column order. Empty cells take no room, so a
// row with one cell in column XFD is one cell.
struct SheetRow {
    int line = 0;
    QList<SheetCell> cells;
};

// Hands the rows of the first sheet of an .xlsx workbook that hold anything
// to sink, in order, reading the sheet as a stream: memory stays near the
// cells the sink keeps. Throws Error naming the file when it is not a
// readable workbook.
void readFirstSheet(const QString &path, const std::function<void(SheetRow &&)> &sink);

} // namespace tarvex
