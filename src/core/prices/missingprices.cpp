#include "core/prices/missingprices.h"

#include "core/common/db/dialect.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/pricetables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace tarvex {

namespace {

// Groups the unpriced rows of a view by the material's keys, counting the
// rows and the windows (series and window code) they belong to. Rows whose
// window is gone count as rows only.
QString missingSql(const QString &view, const QString &keys, const QString &priceColumn)
{
    QStringList order;
    for (const QString &key : keys.split(QLatin1Char(',')))
        order.append(key.trimmed() + QStringLiteral(" NULLS FIRST"));
    // The keys spelt as in their first row, on a server as on a file.
    return QStringLiteral("SELECT %1, SUM(n), COUNT(门窗系列), MIN(门窗系列) FROM "
                          "(SELECT %1, 门窗系列, 窗号, COUNT(*) AS n FROM %2 WHERE %3 IS NULL "
                          "GROUP BY %1, 门窗系列, 窗号) AS w GROUP BY %1 ORDER BY %4")
        .arg(keys, groupedRows(view, keys), priceColumn, order.join(QStringLiteral(", ")));
}

void collect(QList<MissingPrice> &list, MaterialKind kind, const QString &sql, int keyCount, QSqlDatabase db)
{
    const QString table = priceTable(priceTableOf(kind)).name;
    QSqlQuery query = sqlExec(sql, {}, db);
    while (query.next()) {
        MissingPrice item {kind, {}, query.value(keyCount).toInt(), query.value(keyCount + 1).toInt(), QVariant()};
        switch (kind) {
        case MaterialKind::Profile:
            item.keys.code = query.value(0).toString();
            item.keys.series = query.value(keyCount + 2).toString();
            break;
        case MaterialKind::Accessory:
            item.keys.spec = query.value(1).toString();
            item.keys.requirement = query.value(2).toString();
            item.keys.name = query.value(0).toString();
            break;
        default:
            item.keys.name = query.value(0).toString();
            break;
        }
        QVariantList keyValues;
        for (int k = 0; k < qMin(keyCount, 2); ++k)
            keyValues.append(query.value(k));
        item.record = priceRecordOf(table, keyValues, db);
        list.append(item);
    }
}

} // namespace

QList<MissingPrice> listMissingPrices(QSqlDatabase db)
{
    QList<MissingPrice> list;
    // One read: a load in another process cannot show through half-way.
    const ReadTransaction snapshot(db);
    collect(list, MaterialKind::Profile,
        missingSql(QStringLiteral("PriceLc"), QStringLiteral("代号"), QStringLiteral("线重")), 1, db);
    collect(list, MaterialKind::Accessory,
        missingSql(QStringLiteral("PricePj"), QStringLiteral("名称, 规格, 技术要求"), QStringLiteral("单价")), 3, db);
    collect(list, MaterialKind::Glass,
        missingSql(QStringLiteral("PriceBl"), QStringLiteral("名称"), QStringLiteral("单价")), 1, db);
    return list;
}

QString materialKindName(MaterialKind kind)
{
    switch (kind) {
    case MaterialKind::Profile:
        return QStringLiteral("主材");
    case MaterialKind::Accessory:
        return QStringLiteral("附件");
    case MaterialKind::Glass:
        return QStringLiteral("玻璃");
    case MaterialKind::Window:
        break;
    }
    return QString();
}

QStringList missingPriceKeys(const MissingPrice &item)
{
    switch (item.kind) {
    case MaterialKind::Profile:
        return {item.keys.code};
    case MaterialKind::Accessory:
        return {item.keys.name, item.keys.spec, item.keys.requirement};
    case MaterialKind::Glass:
        return {item.keys.name};
    case MaterialKind::Window:
        break;
    }
    return {};
}

QByteArray missingPricesJson(DataCheckResult check, const QString &message, const QList<MissingPrice> &items)
{
    QJsonArray missing;
    for (const MissingPrice &item : items) {
        QJsonObject o {{QStringLiteral("kind"), materialKindName(item.kind)}};
        if (item.kind == MaterialKind::Profile) {
            o.insert(QStringLiteral("code"), item.keys.code);
        } else {
            o.insert(QStringLiteral("name"), item.keys.name);
            if (item.kind == MaterialKind::Accessory) {
                o.insert(QStringLiteral("spec"), item.keys.spec);
                o.insert(QStringLiteral("requirement"), item.keys.requirement);
            }
        }
        o.insert(QStringLiteral("rows"), item.rows);
        o.insert(QStringLiteral("windows"), item.windows);
        missing.append(o);
    }
    const QJsonObject root {{QStringLiteral("code"), int(check)}, {QStringLiteral("message"), message},
        {QStringLiteral("missing"), missing}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace tarvex
