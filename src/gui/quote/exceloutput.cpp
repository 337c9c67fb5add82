#include "quote/quoteoutputs.h"

namespace tarvex {

QString writeExcelQuotation(const QuoteRun &run, const std::function<void(int)> &progress)
{
    Q_UNUSED(run);
    Q_UNUSED(progress);
    return QString();
}

} // namespace tarvex
