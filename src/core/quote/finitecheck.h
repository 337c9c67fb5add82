#pragma once

#include "core/quote/quoteresult.h"

namespace tarvex {

// Refuses a quotation item with a figure that is not a finite number (a loss
// factor or price so large that the sums overflow): Error names the item,
// the row and the figure, so nothing prints "inf".
void checkFiniteFigures(const QuoteItem &item, const QString &itemLabel);

} // namespace tarvex
