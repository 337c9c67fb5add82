#include "core/quote/paperpdf.h"

#include "core/document/pagepdf.h"
#include "core/quote/paperquotation.h"

namespace tarvex {

void writeQuotationPdf(const QuoteRun &run, const QString &path, const std::function<void(int, int)> &progress)
{
    const PageDocument paper; // the paper's size
    const QString title = run.result.items.isEmpty() ? QString() : run.result.items.first().title;
    PagePdfWriter pdf(path, paper.pageWidth, paper.pageHeight, title);
    int pages = 0;
    if (progress) {
        for (const QuoteItem &item : run.result.items)
            pages += paperPageCount(item);
    }
    int done = 0;
    layPaperQuotation(run, [&](const Page &page) {
        pdf.addPage(page);
        if (progress)
            progress(++done, pages);
    });
    pdf.commit();
}

} // namespace tarvex
