#pragma once

#include "core/quote/quoterun.h"

#include <QString>

#include <functional>

namespace tarvex {

// The paper quotation of a run as a PDF file, each page written as it is
// laid out. Throws Error with the reason.
// progress(page, pages) is called after every page.
void writeQuotationPdf(
    const QuoteRun &run, const QString &path, const std::function<void(int page, int pages)> &progress = {});

} // namespace tarvex
