#include "core/offer/offer.h"

#include "core/common/numbers.h"

namespace tarvex {

QVector<OfferSubtotal> offerSubtotals(const Offer &offer)
{
    QVector<OfferSubtotal> subtotals;
    for (const OfferLine &line : offer.lines) {
        if (subtotals.isEmpty() || subtotals.constLast().series != line.series)
            subtotals.append({line.series, 0, 0, 0});
        OfferSubtotal &s = subtotals.last();
        s.count += line.count;
        s.area = Round(s.area + line.area, 2);
        s.amount += line.amount;
    }
    return subtotals;
}

QString offerScopeName(OfferScope scope)
{
    return scope == OfferScope::Series ? QStringLiteral("series") : QStringLiteral("window");
}

std::optional<OfferScope> offerScopeFromName(const QString &name)
{
    if (name == QLatin1String("window"))
        return OfferScope::Window;
    if (name == QLatin1String("series"))
        return OfferScope::Series;
    return std::nullopt;
}

QString areaBasisCaption(QuoteOptions::AreaBasis basis)
{
    return basis == QuoteOptions::AreaBasis::Opening ? QStringLiteral("按洞口外围面积")
                                                     : QStringLiteral("按框外围面积");
}

QString discountCaption(const OfferDiscount &discount)
{
    if (discount.kind == OfferDiscount::Kind::Percent)
        return QStringLiteral("优惠(") + plainNumber(discount.value) + QStringLiteral("%)");
    return QStringLiteral("优惠");
}

QString taxCaption(double percent)
{
    return QStringLiteral("税金(") + plainNumber(percent) + QStringLiteral("%)");
}

} // namespace tarvex
