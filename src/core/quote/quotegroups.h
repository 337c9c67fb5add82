#pragma once

#include "core/common/db/database.h"
#include "core/prices/datacheckresult.h"
#include "core/quote/lcprice.h"
#include "core/quote/quotefigures.h"

#include <QVector>

namespace tarvex {

// Everything a quotation reads from the project, gathered in one grouped
// query per material kind: the material groups of every scope item, and what
// the price check, the price prompts and the progress bar need from the same
// rows.
struct QuoteGroups {
    // One per scope item in the order of the area grouping, with name, area
    // (not yet rounded) and material groups; titles are the calculation's.
    QVector<QuoteItemInput> items;
    DataCheckResult dataCheck = DataCheckResult::AllPriced; // as DataCheck
    QVector<LcPriceClass> classes; // the classes lcPrice asks for, in its order
    int progressMaximum = 0; // the counted number of material rows (an upper bound)
};

// Reads the groups of the options' scope and area basis. The scope items
// and their areas come from mjTemp, grouped and ordered by the scope's
// column; each material kind is grouped by that column and its own grouping
// in the same order, and its rows are laid beside the items, whose names they
// match as key texts do (letter case aside). Throws Error.
QuoteGroups readQuoteGroups(const QuoteOptions &options, QSqlDatabase db = Database::shared());

} // namespace tarvex
