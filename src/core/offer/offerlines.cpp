#include "core/offer/offerlines.h"

#include "core/common/error.h"
#include "core/common/numbers.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace tarvex {

namespace {

constexpr int kLongestValidity = 3650;

bool isPercent(double value)
{
    return std::isfinite(value) && value >= 0 && value <= 100;
}

} // namespace

QVector<OfferUnit> readOfferUnits(OfferScope scope, QSqlDatabase db)
{
    // Grouped and ordered by the column the calculation cuts its items by,
    // with the same comparison of texts, so unit k is item k.
    const QString sql = scope == OfferScope::Series
        ? QStringLiteral("SELECT 门窗系列,COUNT(*),门窗系列,1 FROM MjTemp GROUP BY 门窗系列 ORDER BY 门窗系列")
        : QStringLiteral("SELECT 窗号,COUNT(*),MIN(门窗系列),COUNT(DISTINCT 门窗系列) FROM MjTemp GROUP BY 窗号 "
                         "ORDER BY 窗号");
    QVector<OfferUnit> units;
    QSqlQuery query = sqlExec(sql, {}, db);
    while (query.next()) {
        QString series = query.value(2).toString();
        // A window number the design tool put into several series.
        if (query.value(3).toInt() > 1)
            series += QStringLiteral("等");
        units.append({query.value(0).toString(), series, query.value(1).toInt()});
    }
    return units;
}

QString checkOfferRequest(const OfferRequest &request)
{
    if (request.customer.trimmed().isEmpty())
        return QStringLiteral("请填写客户名称");
    const OfferDiscount &d = request.discount;
    if (d.kind == OfferDiscount::Kind::Percent && !isPercent(d.value))
        return QStringLiteral("优惠比例应在0到100之间: ") + plainNumber(d.value);
    if (d.kind == OfferDiscount::Kind::Amount && !(std::isfinite(d.value) && d.value >= 0))
        return QStringLiteral("优惠金额不能为负数: ") + plainNumber(d.value);
    if (request.taxPercent && !isPercent(*request.taxPercent))
        return QStringLiteral("税率应在0到100之间: ") + plainNumber(*request.taxPercent);
    if (request.validityDays < 1 || request.validityDays > kLongestValidity)
        return QStringLiteral("有效期应在1到%1天之间: %2").arg(kLongestValidity).arg(request.validityDays);
    return QString();
}

OfferTotals offerTotals(Fen subtotal, const OfferDiscount &discount, std::optional<double> taxPercent)
{
    OfferTotals totals;
    totals.subtotal = subtotal;
    switch (discount.kind) {
    case OfferDiscount::Kind::Percent:
        totals.discount = toFen(toYuan(subtotal) * discount.value / 100);
        break;
    case OfferDiscount::Kind::Amount:
        totals.discount = toFen(discount.value);
        break;
    case OfferDiscount::Kind::None:
        break;
    }
    if (totals.discount > subtotal)
        throw Error(QStringLiteral("优惠金额 %1 超过合计 %2").arg(formatYuan(totals.discount), formatYuan(subtotal)));
    const Fen taxable = subtotal - totals.discount;
    if (taxPercent)
        totals.tax = toFen(toYuan(taxable) * *taxPercent / 100);
    totals.total = taxable + totals.tax;
    return totals;
}

QuoteOptions::Scope quoteScopeOf(OfferScope scope)
{
    return scope == OfferScope::Series ? QuoteOptions::Scope::Series : QuoteOptions::Scope::Window;
}

Offer buildOffer(const QuoteRun &run, const QVector<OfferUnit> &units, const OfferRequest &request)
{
    if (const QString problem = checkOfferRequest(request); !problem.isEmpty())
        throw Error(problem);
    if (run.options.scope != quoteScopeOf(request.scope))
        throw Error(QStringLiteral("报价范围与客户报价不符"));
    const QVector<QuoteItem> &items = run.result.items;
    if (items.isEmpty())
        throw Error(QStringLiteral("没有可以输出的报价数据(门窗面积为空)"));
    if (units.size() != items.size())
        throw Error(QStringLiteral("报价数据在读取时发生了变化"));

    Offer offer;
    offer.customer = request.customer.trimmed();
    offer.project = request.project.trimmed();
    offer.sourceFile = request.sourceFile;
    offer.scope = request.scope;
    offer.validityDays = request.validityDays;
    offer.discount = request.discount;
    offer.taxPercent = request.taxPercent;
    offer.areaBasis = run.options.areaBasis;
    offer.lossLc = run.options.lossLc;
    offer.lossPj = run.options.lossPj;
    offer.lossBl = run.options.lossBl;
    offer.lcPriceString = run.lcPriceString;

    // One bucket of lines per series, in the order the series first appear.
    QVector<QVector<OfferLine>> bySeries;
    QHash<QString, int> bucketOf;
    for (int i = 0; i < items.size(); ++i) {
        const QuoteItem &item = items.at(i);
        const OfferUnit &unit = units.at(i);
        if (QString::compare(item.name, unit.name, Qt::CaseInsensitive) != 0)
            throw Error(QStringLiteral("报价数据在读取时发生了变化"));
        OfferLine line;
        if (request.scope == OfferScope::Window)
            line.window = item.name;
        line.series = unit.series;
        line.count = unit.count;
        line.area = item.area;
        line.unitPrice = item.unitPrice;
        line.amount = toFen(item.area * item.unitPrice);
        const auto found = bucketOf.constFind(line.series);
        if (found == bucketOf.constEnd()) {
            bucketOf.insert(line.series, int(bySeries.size()));
            bySeries.append({line});
        } else {
            bySeries[*found].append(line);
        }
    }
    offer.lines.reserve(items.size());
    for (const QVector<OfferLine> &bucket : std::as_const(bySeries))
        offer.lines.append(bucket);
    Fen subtotal = 0;
    for (const OfferLine &line : std::as_const(offer.lines))
        subtotal += line.amount;
    offer.totals = offerTotals(subtotal, offer.discount, offer.taxPercent);
    return offer;
}

} // namespace tarvex
