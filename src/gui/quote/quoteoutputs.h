#pragma once

#include "core/quote/quoterun.h"

#include <QString>

#include <functional>

class QWidget;

namespace tarvex {

// The paper quotation: builds the pages of the run and shows them in the
// preview window (bjShowForm), a child window filling the main window.
// Returns false after reporting "当前错误:" + reason.
bool showPaperQuotation(const QuoteRun &run);

// The spreadsheet quotation: writes the workbook (detail sheet and one
// quotation sheet per scope item), opens it and says "报价数据输出完成!".
// progress(n) is called as rows are written. Returns the file written, or
// empty text after reporting "当前错误:" + reason.
QString writeExcelQuotation(QuoteRun &&run, const std::function<void(int)> &progress);

} // namespace tarvex
