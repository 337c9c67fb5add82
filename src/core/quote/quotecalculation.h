#pragma once

#include "common/database.h"
#include "quote/quotefigures.h"
#include "quote/quoterun.h"

#include <functional>

namespace tarvex {

// The progress bar maximum of a run: profile groups plus accessory and glass
// groups for the whole project; for series and window scopes the accessory
// and glass groups per item plus the profile groups times the item count (an
// upper bound).
int quoteProgressMaximum(QuoteOptions::Scope scope, QSqlDatabase db = Database::shared());

// Every FyTable row in table order.
QVector<FeeRecord> readFees(QSqlDatabase db = Database::shared());

// The calculation: one quotation per scope item (the whole project, each
// window series or each window number, in the order the area query groups
// them). rowDone is called after every material row. Throws Error with a
// plain reason (no window area, a missing price with NullPrices::Fail, a
// database failure).
QuoteResult calculateQuote(const QuoteOptions &options, const QString &lcPriceString, NullPrices nullPrices,
    const std::function<void()> &rowDone = {}, QSqlDatabase db = Database::shared());

} // namespace tarvex
