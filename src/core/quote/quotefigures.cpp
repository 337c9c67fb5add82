#include "core/quote/quotefigures.h"

#include "core/common/error.h"
#include "core/common/keytext.h"
#include "core/common/numbers.h"

namespace tarvex {

namespace {

QString scopeLabel(const QuoteItemInput &input)
{
    return input.label.isEmpty() ? QString() : input.label + QLatin1Char(' ');
}

// The price item of a profile class: same class name (letter case aside) and
// the same flag once the flag text is read back.
const LcPriceItem *findPrice(const QVector<LcPriceItem> &prices, const ProfileGroup &group)
{
    for (const LcPriceItem &item : prices) {
        if (sameKey(item.cls, group.cls) && thermalFromText(item.flagText) == group.thermal)
            return &item;
    }
    return nullptr;
}

QString thermalSpec(bool thermal)
{
    return thermal ? QStringLiteral("隔热材") : QStringLiteral("非隔热材");
}

double pricedOrZero(const std::optional<double> &price, const QString &what, const QuoteItemInput &input,
    NullPrices nullPrices, QStringList *warnings)
{
    if (price)
        return Round(*price, 3);
    const QString text = scopeLabel(input) + what + QStringLiteral("没有单价");
    if (nullPrices == NullPrices::Fail)
        throw Error(text);
    if (warnings)
        warnings->append(text + QStringLiteral(",按0计算"));
    return 0;
}

} // namespace

QuoteItem priceQuoteItem(const QuoteItemInput &input, const QVector<LcPriceItem> &prices, const LossFactors &losses,
    const QVector<FeeRecord> &fees, NullPrices nullPrices, QStringList *warnings, const std::function<void()> &rowDone)
{
    if (input.area == 0) {
        throw Error(scopeLabel(input) + QStringLiteral("门窗面积为0,无法计算每平方米的用量"));
    }
    QuoteItem item;
    item.name = input.name;
    item.sheet = input.sheet;
    item.title = input.title;
    item.area = input.area;
    const double bjmj = input.area;
    double M = 0;
    int serial = 0;
    auto add = [&](QuoteMaterialRow row) {
        row.serial = ++serial;
        row.total = Round(row.qty * row.price, 3);
        M += row.total;
        item.materials.append(row);
        if (rowDone)
            rowDone();
    };

    for (const ProfileGroup &g : input.profiles) {
        QuoteMaterialRow row;
        row.kind = QuoteMaterialRow::Kind::Profile;
        row.name = g.cls;
        row.spec = thermalSpec(g.thermal);
        row.thermal = g.thermal;
        row.raw = g.weight;
        row.qty = Round(g.weight / bjmj * losses.lc, 3);
        row.unit = QStringLiteral("Kg/m2");
        if (const LcPriceItem *price = findPrice(prices, g)) {
            row.price = leadingNumber(price->priceText);
        } else if (warnings) {
            warnings->append(scopeLabel(input) + QStringLiteral("主材") + g.cls + QStringLiteral("(") + row.spec
                + QStringLiteral(")没有单价,按0计算"));
        }
        add(row);
    }
    for (const GlassGroup &g : input.glass) {
        QuoteMaterialRow row;
        row.kind = QuoteMaterialRow::Kind::Glass;
        row.name = g.name;
        row.raw = g.area;
        row.qty = Round(g.area / bjmj * losses.bl, 3);
        row.unit = QStringLiteral("m2/m2");
        row.price = pricedOrZero(g.price, QStringLiteral("玻璃") + g.name, input, nullPrices, warnings);
        add(row);
    }
    for (const AccessoryGroup &g : input.accessories) {
        QuoteMaterialRow row;
        row.kind = QuoteMaterialRow::Kind::Accessory;
        row.name = g.name;
        row.spec = g.spec;
        row.raw = g.qty;
        row.qty = Round(g.qty / bjmj * losses.pj, 3);
        row.unit = g.unit + QStringLiteral("/m2");
        row.remark = g.remark;
        row.price = pricedOrZero(
            g.price, QStringLiteral("附件") + g.name + QLatin1Char(' ') + g.spec, input, nullPrices, warnings);
        add(row);
    }

    // Percentage fees are taken of the material total only, never of
    // other fees.
    double F = 0;
    int feeSerial = 0;
    for (const FeeRecord &fee : fees) {
        QuoteFeeRow row;
        row.serial = ++feeSerial;
        row.name = fee.name;
        row.isPercentage = fee.amount == 0;
        if (row.isPercentage) {
            row.rate = fee.percentage;
            row.value = Round(fee.percentage / 100 * M, 3);
        } else {
            row.rate = fee.amount;
            row.value = fee.amount;
        }
        F += row.value;
        item.fees.append(row);
    }
    item.materialTotal = M;
    item.feeTotal = F;
    item.unitPrice = Round(M + F, 3);
    item.totalPrice = Round((M + F) * bjmj, 3);
    return item;
}

} // namespace tarvex
