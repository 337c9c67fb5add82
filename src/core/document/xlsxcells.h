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

// The cell the program's workbooks start every format from: 宋体 10 pt,
// centred vertically, with a thin border when bordered.
lxw_format *addCellFormat(lxw_workbook *book, bool bordered);

// Frees a workbook that was never closed (its writing stopped half way).
struct WorkbookFree {
    void operator()(lxw_workbook *book) const { lxw_workbook_free(book); }
};

// The most characters a cell holds.
constexpr int kMaxCellChars = 32767;

// The UTF-8 of a text as a cell holds it: cut to kMaxCellChars (a surrogate
// pair kept whole); *cut tells whether it was.
QByteArray cellText(const QString &text, bool *cut);

// Counts the texts writeText cuts to the cell limit while it lives, for the
// message that ends a workbook's writing.
class CutCellCount {
public:
    CutCellCount();
    ~CutCellCount();
    CutCellCount(const CutCellCount &) = delete;
    CutCellCount &operator=(const CutCellCount &) = delete;

    int cells() const { return m_cells; }
    static void add();

private:
    int m_cells = 0;
    CutCellCount *m_outer;
};

// How the end of a workbook's writing says that cells were cut ("" for none).
QString cutCellsNote(int cells);

void writeText(lxw_worksheet *sheet, int row, int col, const QString &text, lxw_format *format);
// A text over merged cells (libxlsxwriter does not report a text too long there).
void writeMergedText(lxw_worksheet *sheet, int firstRow, int firstCol, int lastRow, int lastCol, const QString &text,
    lxw_format *format);
void writeFormula(lxw_worksheet *sheet, int row, int col, const QString &formula, double cached, lxw_format *format);

} // namespace tarvex
