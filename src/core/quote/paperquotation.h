#pragma once

#include "document/pagedocument.h"
#include "quote/quoterun.h"

#include <QString>

namespace tarvex {

// Pads a text with one blank per character that takes two bytes in GBK, as
// the preview component needs to reserve room for double-width characters.
QString changeTxt(const QString &text);

// Lays one quotation (one scope item) out as ruled pages, starting on a new
// page of the document. The signature line comes from the options.
void pricePaper(PageDocument &document, const QuoteItem &item, const QuoteOptions &options);

// The whole paper quotation of a run: every scope item, then the footer
// "共n页,第k页" on every page. Throws Error when the run has nothing to show.
PageDocument buildPaperQuotation(const QuoteRun &run);

} // namespace tarvex
