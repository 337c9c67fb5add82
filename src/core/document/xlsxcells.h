#pragma once

// Small helpers over libxlsxwriter shared by every workbook the program writes.

#include <QString>

#include <xlsxwriter.h>

namespace tarvex {

// "A1"-style reference of a zero-based cell; absolute with "$" signs.
QString cellRef(int row, int col, bool absolute = false);

// A text as a formula string literal.
QString formulaText(const QString &text);

// Throws Error when a libxlsxwriter call failed.
void check(lxw_error result);

void writeText(lxw_worksheet *sheet, int row, int col, const QString &text, lxw_format *format);
void writeFormula(lxw_worksheet *sheet, int row, int col, const QString &formula, double cached, lxw_format *format);

} // namespace tarvex
