#include "quote/paperpdf.h"

#include "document/pagepdf.h"
#include "quote/paperquotation.h"

namespace tarvex {

void writeQuotationPdf(const QuoteRun &run, const QString &path)
{
    const PageDocument document = buildPaperQuotation(run);
    writePagesPdf(document, path, run.result.items.first().title);
}

} // namespace tarvex
