#include "core/prices/pricetables.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/prices/priceexport.h"

#include <QFileInfo>

namespace tarvex {

namespace {

// In the order of their ids.
const PriceTable kTables[] = {
    {PriceTableId::Profile, QStringLiteral("lcName"), QStringLiteral("主材线重表"),
        QStringLiteral(" ORDER BY 系列,名称"), QStringLiteral("编号"), false},
    {PriceTableId::Accessory, QStringLiteral("pjName"), QStringLiteral("附件单价表"),
        QStringLiteral(" ORDER BY 名称,规格"), QStringLiteral("编号"), false},
    {PriceTableId::Glass, QStringLiteral("blName"), QStringLiteral("玻璃单价表"), QStringLiteral(" ORDER BY 名称"),
        QStringLiteral("编号"), false},
    {PriceTableId::Fee, QStringLiteral("FyTable"), QStringLiteral("费用表"), QStringLiteral(" ORDER BY 费用名称"),
        QStringLiteral("费用名称"), true},
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

const PriceTable &priceTable(PriceTableId id)
{
    for (const PriceTable &table : kTables)
        if (table.id == id)
            return table;
    throw Error(QStringLiteral("未知的价格表: %1").arg(int(id)));
}

PriceTableId priceTableOf(MaterialKind kind)
{
    switch (kind) {
    case MaterialKind::Profile:
        return PriceTableId::Profile;
    case MaterialKind::Accessory:
        return PriceTableId::Accessory;
    case MaterialKind::Glass:
        return PriceTableId::Glass;
    case MaterialKind::Window:
        break;
    }
    throw Error(QStringLiteral("门窗面积数据没有价格表"));
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

QString clearPriceTable(const PriceTable &table)
{
    QString copy;
    if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM ") + table.name).toInt() > 0) {
        const QString folder = QFileInfo(Database::shared().databaseName()).absolutePath();
        copy = datedBackupPath(folder, table.name, QStringLiteral("csv"));
        exportPriceTable(table, copy);
    }
    sqlExec(QStringLiteral("DELETE FROM ") + table.name);
    return copy;
}

} // namespace tarvex
