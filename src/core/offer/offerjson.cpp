#include "core/offer/offerjson.h"

#include "core/quote/quotejson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarvex {

namespace {

QJsonValue money(Fen fen)
{
    return toYuan(fen);
}

QString discountKindName(OfferDiscount::Kind kind)
{
    switch (kind) {
    case OfferDiscount::Kind::Percent:
        return QStringLiteral("percent");
    case OfferDiscount::Kind::Amount:
        return QStringLiteral("amount");
    case OfferDiscount::Kind::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace

QByteArray offerJson(const Offer &offer)
{
    QJsonArray lines;
    for (const OfferLine &l : offer.lines) {
        lines.append(QJsonObject {{QStringLiteral("window"), l.window}, {QStringLiteral("series"), l.series},
            {QStringLiteral("count"), l.count}, {QStringLiteral("area"), l.area},
            {QStringLiteral("unit_price"), l.unitPrice}, {QStringLiteral("amount"), money(l.amount)}});
    }
    QJsonArray subtotals;
    for (const OfferSubtotal &s : offerSubtotals(offer)) {
        subtotals.append(QJsonObject {{QStringLiteral("series"), s.series}, {QStringLiteral("count"), s.count},
            {QStringLiteral("area"), s.area}, {QStringLiteral("amount"), money(s.amount)}});
    }
    const OfferTotals &t = offer.totals;
    QJsonObject root {
        {QStringLiteral("number"), offer.number},
        {QStringLiteral("date"), offer.date.toString(Qt::ISODate)},
        {QStringLiteral("validity_days"), offer.validityDays},
        {QStringLiteral("customer"), offer.customer},
        {QStringLiteral("project"), offer.project},
        {QStringLiteral("source_file"), offer.sourceFile},
        {QStringLiteral("scope"), offerScopeName(offer.scope)},
        {QStringLiteral("area_basis"), areaBasisName(offer.areaBasis)},
        {QStringLiteral("loss_lc"), offer.lossLc},
        {QStringLiteral("loss_pj"), offer.lossPj},
        {QStringLiteral("loss_bl"), offer.lossBl},
        {QStringLiteral("lc_price"), offer.lcPriceString},
        {QStringLiteral("discount"),
            QJsonObject {{QStringLiteral("kind"), discountKindName(offer.discount.kind)},
                {QStringLiteral("value"), offer.discount.value}}},
        {QStringLiteral("tax_percent"), offer.taxPercent ? QJsonValue(*offer.taxPercent) : QJsonValue()},
        {QStringLiteral("lines"), lines},
        {QStringLiteral("subtotals"), subtotals},
        {QStringLiteral("subtotal"), money(t.subtotal)},
        {QStringLiteral("discount_amount"), money(t.discount)},
        {QStringLiteral("tax"), money(t.tax)},
        {QStringLiteral("total"), money(t.total)},
        {QStringLiteral("total_in_words"), amountInWords(t.total)},
    };
    if (offer.revision > 0) {
        root.insert(QStringLiteral("revision_of"), offer.revisionOf);
        root.insert(QStringLiteral("revision"), offer.revision);
        if (offer.previousTotal)
            root.insert(QStringLiteral("previous_total"), money(*offer.previousTotal));
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace tarvex
