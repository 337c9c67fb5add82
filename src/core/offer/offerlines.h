#pragma once

#include "core/common/db/database.h"
#include "core/offer/offer.h"
#include "core/quote/quoterun.h"

namespace tarvex {

// A window number (with its series) or a series of the project, and how
// many windows it holds, in the order the calculation gives its items.
struct OfferUnit {
    QString name;
    QString series;
    int count = 0;
};

// Read inside the read transaction the calculation used, so that the
// windows and the figures come from one state of the project. Throws Error.
QVector<OfferUnit> readOfferUnits(OfferScope scope, QSqlDatabase db = Database::shared());

// What the estimator asks for beside the quotation's own options.
struct OfferRequest {
    QString customer;
    QString project;
    QString sourceFile;
    OfferScope scope = OfferScope::Window;
    OfferDiscount discount;
    std::optional<double> taxPercent;
    int validityDays = 30;
};

// Empty when the request can be offered, else what is wrong with it.
QString checkOfferRequest(const OfferRequest &request);

// 合计 less the discount plus the tax: a discount in per cent is rounded to
// 0.01 on the 合计, the tax to 0.01 on what the discount leaves. Throws
// Error when the discount is more than the 合计.
OfferTotals offerTotals(Fen subtotal, const OfferDiscount &discount, std::optional<double> taxPercent);

// The offer of a quotation per window number or per series (options.scope
// must be the request's): one line per calculation item, amount = area ×
// 单价 rounded to 0.01; per window number the lines of a series stand
// together, the series in the order they first appear. Number and date are
// left to the register. Throws Error when the units are not the items of
// the run, or the discount is too large.
Offer buildOffer(const QuoteRun &run, const QVector<OfferUnit> &units, const OfferRequest &request);

// The quotation scope an offer scope is calculated with.
QuoteOptions::Scope quoteScopeOf(OfferScope scope);

} // namespace tarvex
