#pragma once

#include "core/document/pagedocument.h"
#include "core/quote/quoterun.h"

#include <QString>

#include <functional>

class QWidget;

namespace tarvex {

// Where the pages of a paper quotation are shown: the main window's preview
// window (bjShowForm), with the title of the quotation.
using PaperPreview = std::function<void(const PageDocument &pages, const QString &title)>;

// The paper quotation: builds the pages of the run and hands them to the
// preview. Returns false after reporting "当前错误:" + reason.
bool showPaperQuotation(const QuoteRun &run, const PaperPreview &preview);

// The spreadsheet quotation: writes the workbook (detail sheet and one
// quotation sheet per scope item), opens it and says "报价数据输出完成!".
// progress(n) is called as rows are written. Returns the file written, or
// empty text after reporting "当前错误:" + reason.
QString writeExcelQuotation(QuoteRun &&run, const std::function<void(int)> &progress);

} // namespace tarvex
