#pragma once

#include "core/common/db/database.h"
#include "core/prices/datacheckresult.h"
#include "core/quote/lcprice.h"
#include "core/quote/quotefigures.h"
#include "core/quote/quoterun.h"

#include <functional>

namespace tarvex {

// How the caller (the quotation dialog, tarvex-cli) takes part in a run.
struct QuoteSteps {
    // The price check found a material without price: true goes on without
    // it, false ends the run.
    std::function<bool(DataCheckResult check)> goOnWithout;
    // One profile class's price, as lcPrice asks for it.
    LcPriceAsk askPrice;
    // The calculation begins: the progress bar's maximum.
    std::function<void(int maximum)> calculating;
    // After every material row.
    std::function<void()> rowDone;
    // Each scope item as soon as it is priced; when set, the run's result
    // keeps none of them, so a large run never holds them all.
    std::function<void(QuoteItem &&item)> itemDone;
};

// The quotation sequence before any output: the project's groups are read
// once; the price check, the profile price prompts and the calculation work
// on them. run.options must be set; fills the price string, the progress
// maximum and the result. Returns false when the check ended the run.
// Throws Error.
bool runQuoteCalculation(
    QuoteRun &run, NullPrices nullPrices, const QuoteSteps &steps, QSqlDatabase db = Database::shared());

} // namespace tarvex
