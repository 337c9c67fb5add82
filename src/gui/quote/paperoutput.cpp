#include "quote/quoteoutputs.h"

namespace tarvex {

bool showPaperQuotation(const QuoteRun &run)
{
    Q_UNUSED(run);
    return false;
}

} // namespace tarvex
