#pragma once

#include "core/quote/quoteresult.h"

#include <QByteArray>

namespace tarvex {

// The quotation as JSON, keys in a fixed order and every figure as the text
// the quotation prints ("0.000", the area as plain decimal text):
// {"scope", "area_basis", "items": [{"name", "sheet", "title", "area",
//  "materials": [...], "fees": [...], "material_total", "fee_total",
//  "unit_price", "total_price"}]}.
QByteArray quoteResultJson(const QuoteResult &result);

// "profile", "glass" or "accessory"; "whole", "series" or "window";
// "frame" or "opening".
QString kindName(QuoteMaterialRow::Kind kind);
QString scopeName(QuoteOptions::Scope scope);
QString areaBasisName(QuoteOptions::AreaBasis basis);

} // namespace tarvex
