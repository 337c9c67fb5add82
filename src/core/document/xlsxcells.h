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

// How the end of a workbook's writing says that cells were cut ("" for none).
QString cutCellsNote(int cells);

// Writes the cells of a workbook's sheets, one sheet after another, and
// counts the texts it cuts to the cell limit for the message that ends the
// writing. Every call throws Error when libxlsxwriter refuses it.
class SheetWriter {
public:
    explicit SheetWriter(lxw_worksheet *sheet = nullptr)
        : m_sheet(sheet)
    {
    }

    lxw_worksheet *sheet() const { return m_sheet; }
    // Goes on with another sheet of the same workbook; the count goes on.
    void setSheet(lxw_worksheet *sheet) { m_sheet = sheet; }
    int cutCells() const { return m_cutCells; }

    // An empty text writes a blank cell with the format.
    void text(int row, int col, const QString &text, lxw_format *format);
    // A text over merged cells (libxlsxwriter does not report a text too long there).
    void mergedText(int firstRow, int firstCol, int lastRow, int lastCol, const QString &text, lxw_format *format);
    void number(int row, int col, double value, lxw_format *format);
    void blank(int row, int col, lxw_format *format);
    // A formula holding cached as its result until the sheet is calculated.
    void formula(int row, int col, const QString &formula, double cached, lxw_format *format);

private:
    QByteArray fitted(const QString &text);

    lxw_worksheet *m_sheet;
    int m_cutCells = 0;
};

} // namespace tarvex
