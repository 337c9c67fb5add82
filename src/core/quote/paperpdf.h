#pragma once

#include "core/quote/quoterun.h"

#include <QString>

namespace tarvex {

// The paper quotation of a run as a PDF file, each page written as it is
// laid out. Throws Error with the reason.
void writeQuotationPdf(const QuoteRun &run, const QString &path);

} // namespace tarvex
