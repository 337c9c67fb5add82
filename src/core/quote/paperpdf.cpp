#include "core/quote/paperpdf.h"

#include "core/document/pagepdf.h"
#include "core/quote/paperquotation.h"

namespace tarvex {

void writeQuotationPdf(const QuoteRun &run, const QString &path)
{
    const PageDocument paper; // the paper's size
    const QString title = run.result.items.isEmpty() ? QString() : run.result.items.first().title;
    PagePdfWriter pdf(path, paper.pageWidth, paper.pageHeight, title);
    layPaperQuotation(run, [&pdf](const Page &page) { pdf.addPage(page); });
    pdf.commit();
}

} // namespace tarvex
