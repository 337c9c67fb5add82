#pragma once

#include <QString>

namespace tarvex {

// Dates and times as a spreadsheet keeps them: a number (days since the
// start of 1900 or 1904) in a cell whose number format is a date format.

// The format code of a built-in number format id as a Chinese spreadsheet
// shows it ("yyyy/m/d" for 14); empty for ids that are not dates or times.
QString builtinNumberFormat(int id);

// True when the format code shows a number as a date or time: it holds y,
// m, d, h or s outside quoted texts, or AM/PM.
bool isDateFormat(const QString &code);

// The serial number as the format code shows it ("2024-03-01" for 45352 in
// "yyyy-mm-dd"), to the second.
QString shownSheetDate(double serial, const QString &code, bool date1904 = false);

} // namespace tarvex
