#pragma once

#include "core/quote/quoterun.h"
#include "core/quote/quotesheetdata.h"

#include <QString>

#include <functional>

namespace tarvex {

// The spreadsheet quotation: the detail sheet "材料明细表" with every unit
// price, loss factor and fee, then one quotation sheet per scope item whose
// prices, loss factors, quantities and fees are formulas over the detail
// sheet, each holding our own figure as its cached result. The quantities
// are the raw ones the calculation divided; a material row without one gets
// its quantity as a plain number. progress(n) is called after the n-th
// material row. The file appears whole or not at all. Throws Error.
void writeQuoteWorkbook(const QString &path, const QuoteRun &run, const QuoteDetails &details,
    const std::function<void(int)> &progress = {});

// The same, reading the detail blocks from the shared database.
void writeQuoteWorkbook(const QString &path, const QuoteRun &run, const std::function<void(int)> &progress = {});

// The same for a run that is not needed afterwards: each quotation item is
// given up once its sheet is written (the run's items are left empty).
void writeQuoteWorkbook(const QString &path, QuoteRun &&run, const std::function<void(int)> &progress = {});

// A new file in the program folder's temp1, named after the run's title and
// the time ("XX工程报价-20260105-143000.xlsx").
QString defaultQuoteWorkbookPath(const QuoteRun &run);

// Name of the detail sheet.
QString quoteDetailSheetName();

} // namespace tarvex
