#include "core/quote/finitecheck.h"

#include "core/common/error.h"

#include <cmath>

namespace tarvex {

namespace {

[[noreturn]] void refuse(const QString &where, const QString &what, double value)
{
    const QString shown = std::isnan(value) ? QStringLiteral("非数字") : QStringLiteral("无穷大");
    throw Error(where + what + QStringLiteral(" 的计算结果为") + shown
        + QStringLiteral(", 无法报价; 请检查损耗系数和单价是否过大"));
}

} // namespace

void checkFiniteFigures(const QuoteItem &item, const QString &itemLabel)
{
    const QString where = itemLabel.isEmpty() ? QString() : itemLabel + QStringLiteral(": ");
    for (const QuoteMaterialRow &row : item.materials) {
        const QString name = row.name + (row.spec.isEmpty() ? QString() : QLatin1Char(' ') + row.spec);
        const std::pair<const char *, double> figures[] = {{"数量", row.qty}, {"单价", row.price}, {"金额", row.total}};
        for (const auto &[label, value] : figures)
            if (!std::isfinite(value))
                refuse(where, name + QLatin1Char(' ') + QString::fromUtf8(label), value);
    }
    for (const QuoteFeeRow &fee : item.fees)
        if (!std::isfinite(fee.value) || !std::isfinite(fee.rate))
            refuse(where, fee.name, std::isfinite(fee.value) ? fee.rate : fee.value);
    const std::pair<const char *, double> totals[] = {{"面积", item.area}, {"直接材料费用", item.materialTotal},
        {"固定费用", item.feeTotal}, {"单价", item.unitPrice}, {"总价", item.totalPrice}};
    for (const auto &[label, value] : totals)
        if (!std::isfinite(value))
            refuse(where, QString::fromUtf8(label), value);
}

} // namespace tarvex
