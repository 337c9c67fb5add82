#include "core/prices/pricecolumns.h"

#include <QStringList>

namespace tarvex {

namespace {

PriceColumn column(const char *name, PriceColumnKind kind, bool key = false, bool required = false)
{
    return {QString::fromUtf8(name), kind, key, required};
}

constexpr bool kKey = true;
constexpr bool kRequired = true;

} // namespace

const QList<PriceColumn> &priceColumns(const QString &table)
{
    static const QList<PriceColumn> profile {
        column("编号", PriceColumnKind::Number),
        column("系列", PriceColumnKind::Text, false, kRequired),
        column("名称", PriceColumnKind::Text, false, kRequired),
        column("代号", PriceColumnKind::Text, kKey, kRequired),
        column("线重", PriceColumnKind::Real, false, kRequired),
        column("隔热", PriceColumnKind::YesNo, false, kRequired),
        column("材料类别", PriceColumnKind::Text, false, kRequired),
        column("备注", PriceColumnKind::Text),
    };
    static const QList<PriceColumn> accessory {
        column("编号", PriceColumnKind::Number),
        column("类别", PriceColumnKind::Text, false, kRequired),
        column("名称", PriceColumnKind::Text, kKey, kRequired),
        column("规格", PriceColumnKind::Text, kKey, kRequired),
        column("技术要求", PriceColumnKind::Text),
        column("单位", PriceColumnKind::Text, false, kRequired),
        column("单价", PriceColumnKind::Real, false, kRequired),
        column("折扣量", PriceColumnKind::Real, false, kRequired),
        column("备注", PriceColumnKind::Text),
    };
    static const QList<PriceColumn> glass {
        column("编号", PriceColumnKind::Number),
        column("名称", PriceColumnKind::Text, kKey, kRequired),
        column("单价", PriceColumnKind::Real, false, kRequired),
        column("折扣量", PriceColumnKind::Real, false, kRequired),
        column("备注", PriceColumnKind::Text),
    };
    static const QList<PriceColumn> fee {
        column("费用名称", PriceColumnKind::Text, kKey, kRequired),
        column("费用量", PriceColumnKind::Real),
        column("百分比", PriceColumnKind::Real),
    };
    static const QList<PriceColumn> none;
    if (table == QLatin1String("lcName"))
        return profile;
    if (table == QLatin1String("pjName"))
        return accessory;
    if (table == QLatin1String("blName"))
        return glass;
    if (table == QLatin1String("FyTable"))
        return fee;
    return none;
}

QString keyCondition(const QString &table)
{
    QStringList conditions;
    for (const PriceColumn &c : priceColumns(table))
        if (c.key)
            conditions.append(c.name + QStringLiteral("=? COLLATE NOCASE")); // the fees' key too
    return conditions.join(QStringLiteral(" AND "));
}

QVariant priceRecordOf(const QString &table, const QVariantList &keyValues, QSqlDatabase db)
{
    return sqlScalar(
        QStringLiteral("SELECT MIN(编号) FROM %1 WHERE %2").arg(table, keyCondition(table)), keyValues, db);
}

bool needsOneAmount(const QString &table)
{
    return table == QLatin1String("FyTable");
}

} // namespace tarvex
