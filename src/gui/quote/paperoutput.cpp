#include "gui/quote/quoteoutputs.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/quote/paperquotation.h"

namespace tarvex {

bool showPaperQuotation(const QuoteRun &run, const PaperPreview &preview)
{
    PageDocument document;
    try {
        document = buildPaperQuotation(run);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    preview(document, run.result.items.first().title);
    return true;
}

} // namespace tarvex
