#include "core/quote/quotesequence.h"

#include "core/quote/quotecalculation.h"
#include "core/quote/quotegroups.h"

namespace tarvex {

bool runQuoteCalculation(QuoteRun &run, NullPrices nullPrices, const QuoteSteps &steps, QSqlDatabase db)
{
    // Check, prices and calculation read one state of the project, even when
    // another program loads one meanwhile.
    const ReadTransaction snapshot(db);
    QuoteGroups groups = readQuoteGroups(run.options, db);
    if (groups.dataCheck != DataCheckResult::AllPriced && !(steps.goOnWithout && steps.goOnWithout(groups.dataCheck)))
        return false;
    run.lcPriceString = lcPrice(groups.classes, steps.askPrice);
    run.progressMaximum = groups.progressMaximum;
    if (steps.calculating)
        steps.calculating(run.progressMaximum);
    run.result = calculateQuote(
        run.options, std::move(groups), run.lcPriceString, nullPrices, steps.rowDone, steps.itemDone, db);
    return true;
}

} // namespace tarvex
