#include "core/prices/pricetables.h"

#include "core/common/db/database.h"
#include "core/common/error.h"

namespace tarvex {

namespace {

const PriceTable kTables[] = {
    {QStringLiteral("lcName"), QStringLiteral("主材线重表"), QStringLiteral(" ORDER BY 系列,名称"),
        QStringLiteral("编号"), false, 1},
    {QStringLiteral("pjName"), QStringLiteral("附件单价表"), QStringLiteral(" ORDER BY 名称,规格"),
        QStringLiteral("编号"), false, 2},
    {QStringLiteral("blName"), QStringLiteral("玻璃单价表"), QStringLiteral(" ORDER BY 名称"), QStringLiteral("编号"),
        false, 3},
    {QStringLiteral("FyTable"), QStringLiteral("费用表"), QStringLiteral(" ORDER BY 费用名称"),
        QStringLiteral("费用名称"), true, 4},
};

} // namespace

QString PriceTable::clearQuestion() const
{
    return QStringLiteral("是否确定清除'") + clearName + QStringLiteral("'中所有记录?");
}

GridSource PriceTable::fullLoadSource() const
{
    return {name, QString(), {}, loadOrder};
}

GridSource PriceTable::filteredSource(const QString &filterSql, const QVariantList &values) const
{
    return {name, filterSql, values, QString()};
}

const PriceTable *findPriceTable(const QString &name)
{
    for (const PriceTable &table : kTables)
        if (table.name == name)
            return &table;
    return nullptr;
}

const PriceTable *findPriceTableByEntry(short entryTable)
{
    for (const PriceTable &table : kTables)
        if (table.entryTable == entryTable)
            return &table;
    return nullptr;
}

void deletePriceRecord(const PriceTable &table, const QString &key)
{
    if (key.isEmpty())
        throw Error(QStringLiteral("没有选中要删除的记录"));
    QVariant bound = key;
    if (!table.textKey) {
        bool ok = false;
        const int number = key.trimmed().toInt(&ok);
        if (!ok)
            throw Error(QStringLiteral("编号“%1”不是整数,无法删除").arg(key));
        bound = number;
    }
    QSqlQuery query = sqlExec(
        QStringLiteral("DELETE FROM ") + table.name + QStringLiteral(" WHERE ") + table.keyField + QStringLiteral("=?"),
        {bound});
    if (query.numRowsAffected() < 1)
        throw Error(QStringLiteral("%1中已没有%2为“%3”的记录").arg(table.clearName, table.keyField, key));
}

void clearPriceTable(const PriceTable &table)
{
    sqlExec(QStringLiteral("DELETE FROM ") + table.name);
}

} // namespace tarvex
