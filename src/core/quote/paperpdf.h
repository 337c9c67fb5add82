#pragma once

#include "quote/pagedocument.h"
#include "quote/quoterun.h"

#include <QString>

namespace tarvex {

// Writes the pages as a PDF (Letter, no margins: the layout places
// everything itself). The file is replaced only when complete. Needs a
// QGuiApplication for the fonts. Throws Error with the reason.
void writePagesPdf(const PageDocument &document, const QString &path, const QString &title = QString());

// The paper quotation of a run as a PDF file.
void writeQuotationPdf(const QuoteRun &run, const QString &path);

} // namespace tarvex
