#include "core/prices/pricetables.h"

#include "core/common/db/database.h"
#include "core/common/db/dberror.h"
#include "core/common/db/dialect.h"
#include "core/common/db/engine.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
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

QString PriceTable::entryOrder() const
{
    return textKey ? QStringLiteral(" ORDER BY rowid") : QStringLiteral(" ORDER BY 编号");
}

QString PriceTable::orderClause() const
{
    QStringList terms;
    for (const QString &column : loadOrder.mid(loadOrder.indexOf(QLatin1String("BY ")) + 3).split(QLatin1Char(',')))
        terms.append(column.trimmed() + QStringLiteral(" NULLS FIRST"));
    if (!textKey)
        terms.append(keyField);
    return QStringLiteral(" ORDER BY ") + terms.join(QLatin1Char(','));
}

GridSource PriceTable::fullLoadSource() const
{
    return {name, QString(), {}, orderClause()};
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

void requirePriceChanges(const PriceTable &table)
{
    QSqlDatabase db = Database::shared();
    if (mayChangeTable(table.name, db))
        return;
    throw Error(QStringLiteral("没有修改价格表的权限: %1的用户 %2 只能查看和报价, 不能修改%3; "
                               "请管理员把该用户加入角色 %4")
                    .arg(serverLabel(db), serverFacts(db).user, table.clearName, editorRoleName()));
}

QString recordGoneText(const QString &detail)
{
    if (onServer(Database::shared()))
        return QStringLiteral("该记录已被其他用户删除: ") + detail;
    return detail;
}

void writingPrices(const PriceTable &table, const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const DatabaseError &e) {
        if (e.isPermissionDenied())
            requirePriceChanges(table);
        throw;
    }
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
    requirePriceChanges(table);
    int deleted = 0;
    writingPrices(table, [&] {
        deleted = sqlExec(QStringLiteral("DELETE FROM ") + table.name + QStringLiteral(" WHERE ") + table.keyField
                + QStringLiteral("=?"),
            {bound})
                      .numRowsAffected();
    });
    if (deleted < 1)
        throw Error(
            recordGoneText(QStringLiteral("%1中已没有%2为“%3”的记录").arg(table.clearName, table.keyField, key)));
}

QString clearPriceTable(const PriceTable &table)
{
    requirePriceChanges(table);
    QString copy;
    if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM ") + table.name).toInt() > 0) {
        // A server's tables are kept beside this workstation's data folder.
        const QSqlDatabase db = Database::shared();
        const QString folder = onServer(db) ? dataFolder() : QFileInfo(db.databaseName()).absolutePath();
        copy = datedBackupPath(folder, table.name, QStringLiteral("csv"));
        exportPriceTable(table, copy);
    }
    writingPrices(table, [&] { sqlExec(QStringLiteral("DELETE FROM ") + table.name); });
    return copy;
}

} // namespace tarvex
