#include "core/quote/quoteresult.h"

#include "core/common/numbers.h"

namespace tarvex {

QString QuoteFeeRow::priceText() const
{
    return isPercentage ? format3(rate) + QLatin1Char('%') : format3(rate);
}

} // namespace tarvex
