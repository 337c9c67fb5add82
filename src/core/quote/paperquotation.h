#pragma once

#include "core/document/pagedocument.h"
#include "core/quote/quoterun.h"

#include <QString>

#include <functional>

namespace tarvex {

// Pads a text with one blank per character that takes two bytes in GBK, as
// the preview component needs to reserve room for double-width characters.
QString changeTxt(const QString &text);

// Lays one quotation (one scope item) out as ruled pages, starting on a new
// page of the document. The signature line comes from the options.
void pricePaper(PageDocument &document, const QuoteItem &item, const QuoteOptions &options);

// The pages pricePaper lays the item out on.
int paperPageCount(const QuoteItem &item);

// The whole paper quotation of a run, page by page: every scope item from a
// new page, each page with its footer "共n页,第k页" handed to pageDone as soon
// as its item is laid out, so no more than one item's pages are held at a
// time. Throws Error when the run has nothing to show.
void layPaperQuotation(const QuoteRun &run, const std::function<void(const Page &)> &pageDone);

// The same pages as one document.
PageDocument buildPaperQuotation(const QuoteRun &run);

} // namespace tarvex
