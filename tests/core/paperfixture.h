#pragma once

// Quotation items with fixed figures, for laying out paper quotations
// without a calculation.

#include "core/quote/quotecalculation.h"

namespace tarvex::test {

inline QuoteMaterialRow paperMaterial(int n, QuoteMaterialRow::Kind kind = QuoteMaterialRow::Kind::Accessory)
{
    QuoteMaterialRow row;
    row.serial = n;
    row.kind = kind;
    row.name = QStringLiteral("执手") + QString::number(n);
    row.spec = QStringLiteral("HS-") + QString::number(n);
    row.qty = 0.5 * n;
    row.unit = QStringLiteral("套/m2");
    row.price = 12.5;
    row.total = 6.25 * n;
    return row;
}

// materialRows accessories, then 管理费 (5 %) and 安装费 (35) as far as feeRows goes.
inline QuoteItem paperItem(const QString &title, int materialRows, int feeRows = 2)
{
    QuoteItem it;
    it.title = title;
    it.area = 12.35;
    for (int n = 1; n <= materialRows; ++n)
        it.materials.append(paperMaterial(n));
    for (int k = 0; k < feeRows; ++k) {
        QuoteFeeRow fee;
        fee.serial = k + 1;
        fee.name = k == 0 ? QStringLiteral("管理费") : QStringLiteral("安装费");
        fee.isPercentage = k == 0;
        fee.rate = k == 0 ? 5 : 35;
        fee.value = k == 0 ? 10 : 35;
        it.fees.append(fee);
    }
    it.materialTotal = 200;
    it.feeTotal = 45;
    it.unitPrice = 245;
    it.totalPrice = 3025.75;
    return it;
}

inline QuoteRun paperRun(const QVector<QuoteItem> &items)
{
    QuoteRun r;
    r.result.items = items;
    return r;
}

} // namespace tarvex::test
