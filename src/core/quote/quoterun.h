#pragma once

#include "core/quote/quoteresult.h"

#include <QString>

namespace tarvex {

// Everything one quotation run produced before its output is made: the
// options, the profile price string of the price prompts and the figures.
struct QuoteRun {
    QuoteOptions options;
    QString lcPriceString; // "class/flag/price" items joined by "\"
    int progressMaximum = 0; // the counted number of material rows (an upper bound)
    QuoteResult result;
};

} // namespace tarvex
