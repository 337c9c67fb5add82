#pragma once

#include "core/offer/offer.h"
#include "core/offer/offerpaper.h"

#include <QString>

namespace tarvex {

// The offer as a one-sheet workbook "报价单": the header fields, one row per
// line (and per window number a subtotal after each series), then 合计,
// 优惠, 税金 and 总计. 金额, the subtotals, 合计, 优惠 in per cent, 税金 and
// 总计 are formulas over the rows above, rounding to 0.01 half to even as
// the offer does, each holding the offer's own figure as its cached result;
// the 总计 in words is text. The file appears whole or not at all. Throws
// Error.
void writeOfferWorkbook(const QString &path, const Offer &offer, const OfferLetterhead &letterhead);

} // namespace tarvex
