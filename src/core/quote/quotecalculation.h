#pragma once

#include "core/common/db/database.h"
#include "core/quote/quotefigures.h"
#include "core/quote/quotegroups.h"
#include "core/quote/quoterun.h"

#include <functional>

namespace tarvex {

// Every FyTable row in the order the fees were entered.
QString feesSql();
QVector<FeeRecord> readFees(QSqlDatabase db = Database::shared());

// The calculation: one quotation per scope item of the groups (the whole
// project, each window series or each window number, in the order the area
// grouping gives them), read with the same options. The groups' items are
// used up as they are priced. rowDone is called after every material row.
// Throws Error with a plain reason (no window area, a missing price with
// NullPrices::Fail, a database failure).
QuoteResult calculateQuote(const QuoteOptions &options, QuoteGroups groups, const QString &lcPriceString,
    NullPrices nullPrices, const std::function<void()> &rowDone = {}, QSqlDatabase db = Database::shared());

// The same handing each item to take as soon as it is priced; the result
// keeps none of them.
QuoteResult calculateQuote(const QuoteOptions &options, QuoteGroups groups, const QString &lcPriceString,
    NullPrices nullPrices, const std::function<void()> &rowDone, const std::function<void(QuoteItem &&)> &take,
    QSqlDatabase db = Database::shared());

// The same over the groups read now.
QuoteResult calculateQuote(const QuoteOptions &options, const QString &lcPriceString, NullPrices nullPrices,
    const std::function<void()> &rowDone = {}, QSqlDatabase db = Database::shared());

} // namespace tarvex
