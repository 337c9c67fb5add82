#pragma once

#include "core/offer/money.h"
#include "core/quote/quoteresult.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

namespace tarvex {

// What one offer line stands for: a window number or a whole window series.
enum class OfferScope { Window, Series };

// A discount in per cent of the 合计, or an amount in yuan.
struct OfferDiscount {
    enum class Kind { None, Percent, Amount };
    Kind kind = Kind::None;
    double value = 0;
};

// One priced line: a window number (with its series) or a series.
struct OfferLine {
    QString window; // empty per series
    QString series;
    int count = 0; // 樘数: the windows the line holds
    double area = 0; // m², as the calculation rounded it
    double unitPrice = 0; // 元/m², the calculation's 单价
    Fen amount = 0; // 金额 = area × unit price, rounded to 0.01
};

// The lines of one series with their sums (per window number only).
struct OfferSubtotal {
    QString series;
    int count = 0;
    double area = 0;
    Fen amount = 0;
};

struct OfferTotals {
    Fen subtotal = 0; // 合计: the sum of the line amounts
    Fen discount = 0; // 优惠
    Fen tax = 0; // 税金, on the 合计 less the discount
    Fen total = 0; // 总计
};

// Everything an offer states and the register keeps of it.
struct Offer {
    QString number; // given when the offer is issued
    QString revisionOf; // the first offer's number for a revision, else empty
    int revision = 0; // 0 for a first offer, then 1, 2, ...
    QDate date;
    int validityDays = 0;
    QString customer;
    QString project;
    QString sourceFile;
    OfferScope scope = OfferScope::Window;
    QuoteOptions::AreaBasis areaBasis = QuoteOptions::AreaBasis::Frame;
    QString lossLc;
    QString lossPj;
    QString lossBl;
    QString lcPriceString; // the class prices the calculation used
    OfferDiscount discount;
    std::optional<double> taxPercent;
    QVector<OfferLine> lines;
    OfferTotals totals;
    // A revision states the total of the offer it replaces.
    std::optional<Fen> previousTotal;
};

// The lines grouped by series in the order the series first appear; the
// lines of a series are consecutive (see buildOffer).
QVector<OfferSubtotal> offerSubtotals(const Offer &offer);

QString offerScopeName(OfferScope scope); // "window" or "series"
std::optional<OfferScope> offerScopeFromName(const QString &name);

// "按框外围面积" / "按洞口外围面积"
QString areaBasisCaption(QuoteOptions::AreaBasis basis);

// "优惠(5%)", "优惠"; "税金(13%)".
QString discountCaption(const OfferDiscount &discount);
QString taxCaption(double percent);

} // namespace tarvex
