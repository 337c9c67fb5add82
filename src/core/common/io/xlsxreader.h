#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tarvex {

// One row of a worksheet: its row number as the spreadsheet shows it and
// the texts of its cells from column A on (missing cells empty).
struct SheetRow {
    int line = 0;
    QStringList cells;
};

// The rows of the first sheet of an .xlsx workbook that hold anything, each
// handed to `row` as it is read.
// Texts come from shared or inline strings, numbers in their shortest exact
// decimal form, booleans as TRUE/FALSE, formulas as their stored result.
// Throws Error naming the file when it is not a readable workbook.
void readFirstSheet(const QString &path, const std::function<void(SheetRow &&)> &row);

} // namespace tarvex
