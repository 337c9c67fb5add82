#include "quote/quoteresult.h"

#include "common/numbers.h"

namespace tarvex {

QString QuoteFeeRow::priceText() const
{
    return isPercentage ? format3(rate) + QLatin1Char('%') : format3(rate);
}

} // namespace tarvex
