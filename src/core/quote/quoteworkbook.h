#pragma once

#include "core/quote/quoterun.h"
#include "core/quote/quotesheetdata.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tarvex {

// What writing a spreadsheet quotation made: the workbook asked for, or the
// workbooks it was split into, and the number of cells whose text was cut
// to the cell limit.
struct QuoteWorkbooks {
    QStringList paths;
    int cutCells = 0;
};

// A run with more quotation sheets than one workbook holds is refused, or
// split into several workbooks that each hold their own detail sheet.
enum class QuoteWorkbookSplit { Refuse, Split };

// The spreadsheet quotation: the detail sheet "材料明细表" with every unit
// price, loss factor and fee, then one quotation sheet per scope item whose
// prices, loss factors, quantities and fees are formulas over the detail
// sheet, each holding our own figure as its cached result. The quantities
// are the raw ones the calculation divided; a material row without one gets
// its quantity as a plain number. progress(n) is called after the n-th
// material row. The files appear whole or not at all. Throws Error, with
// tooManyQuoteSheetsText when the run needs more than one workbook and
// split is Refuse.
QuoteWorkbooks writeQuoteWorkbook(const QString &path, const QuoteRun &run, const QuoteDetails &details,
    const std::function<void(int)> &progress = {}, QuoteWorkbookSplit split = QuoteWorkbookSplit::Refuse);

// The same, reading the detail blocks from the shared database.
QuoteWorkbooks writeQuoteWorkbook(const QString &path, const QuoteRun &run,
    const std::function<void(int)> &progress = {}, QuoteWorkbookSplit split = QuoteWorkbookSplit::Refuse);

// The same for a run that is not needed afterwards: each quotation item is
// given up once its sheet is written (the run's items are left empty).
QuoteWorkbooks writeQuoteWorkbook(const QString &path, QuoteRun &&run, const std::function<void(int)> &progress = {},
    QuoteWorkbookSplit split = QuoteWorkbookSplit::Refuse);

// How many workbooks the run's quotation sheets need (1 for most runs).
int quoteWorkbookCount(const QuoteRun &run);

// Why a run of that many workbooks does not fit into one, naming the sheets
// and the limit.
QString tooManyQuoteSheetsText(const QuoteRun &run);

// Where the parts of a split quotation go: "报价.xlsx" becomes "报价-1.xlsx",
// "报价-2.xlsx", ...
QStringList quoteWorkbookPartPaths(const QString &path, int parts);

// A new file in the program folder's temp1, named after the run's title and
// the time ("XX工程报价-20260105-143000.xlsx"); with parts > 1 none of its
// part paths exists either.
QString defaultQuoteWorkbookPath(const QuoteRun &run, int parts = 1);

// Name of the detail sheet.
QString quoteDetailSheetName();

} // namespace tarvex
