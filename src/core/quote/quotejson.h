#pragma once

#include "core/quote/quoteresult.h"

#include <QByteArray>

#include <functional>
#include <string>

namespace tarvex {

// The quotation as JSON, keys in a fixed order and every figure as the text
// the quotation prints ("0.000", the area as plain decimal text):
// {"scope", "area_basis", "items": [{"name", "sheet", "title", "area",
//  "materials": [...], "fees": [...], "material_total", "fee_total",
//  "unit_price", "total_price"}]}.
QByteArray quoteResultJson(const QuoteResult &result);

// The same text written item by item as the calculation gives them, so that
// a run of a hundred thousand windows never holds the whole text: begin(),
// then item() for each, then end().
class QuoteJsonWriter {
public:
    // write takes every piece of the text in turn (a piece lives only
    // during the call).
    explicit QuoteJsonWriter(std::function<void(const QByteArray &)> write);

    void begin(QuoteOptions::Scope scope, QuoteOptions::AreaBasis basis);
    void item(const QuoteItem &item);
    void end();

private:
    std::function<void(const QByteArray &)> m_write;
    int m_items = 0;
    std::string m_text; // the item being written, its room kept for the next
};

// "profile", "glass" or "accessory"; "whole", "series" or "window";
// "frame" or "opening".
QString kindName(QuoteMaterialRow::Kind kind);
QString scopeName(QuoteOptions::Scope scope);
QString areaBasisName(QuoteOptions::AreaBasis basis);

} // namespace tarvex
