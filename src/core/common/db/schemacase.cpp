#include "core/common/db/schemacase.h"

#include "core/common/db/database.h"
#include "core/common/error.h"

#include <QHash>
#include <QSqlQuery>

namespace tarvex {

namespace {

// Columns in their stored order; "%1" stands for the table's name.
const QHash<QString, QString> &definitions()
{
    static const QHash<QString, QString> tables = {
        {QStringLiteral("MjTemp"),
            QStringLiteral("CREATE TABLE %1 (ID INTEGER, 门窗系列 TEXT COLLATE NOCASE, 窗号 TEXT COLLATE NOCASE, "
                           "框面积 REAL, 洞口面积 REAL)")},
        {QStringLiteral("LcTemp"), QStringLiteral("CREATE TABLE %1 (ID INTEGER, 代号 TEXT COLLATE NOCASE, 长度 REAL)")},
        {QStringLiteral("PjTemp"),
            QStringLiteral("CREATE TABLE %1 (ID INTEGER, 名称 TEXT COLLATE NOCASE, 规格 TEXT COLLATE NOCASE, "
                           "技术要求 TEXT COLLATE NOCASE, 数量 REAL)")},
        {QStringLiteral("BlTemp"), QStringLiteral("CREATE TABLE %1 (ID INTEGER, 名称 TEXT COLLATE NOCASE, 面积 REAL)")},
        {QStringLiteral("lcName"),
            QStringLiteral("CREATE TABLE %1 (编号 INTEGER PRIMARY KEY, 系列 TEXT COLLATE NOCASE, "
                           "名称 TEXT COLLATE NOCASE, 代号 TEXT COLLATE NOCASE, 线重 REAL, 隔热 INTEGER, "
                           "材料类别 TEXT COLLATE NOCASE, 备注 TEXT COLLATE NOCASE)")},
        {QStringLiteral("pjName"),
            QStringLiteral("CREATE TABLE %1 (编号 INTEGER PRIMARY KEY, 类别 TEXT COLLATE NOCASE, "
                           "名称 TEXT COLLATE NOCASE, 规格 TEXT COLLATE NOCASE, 技术要求 TEXT COLLATE NOCASE, "
                           "单位 TEXT COLLATE NOCASE, 单价 REAL, 折扣量 REAL, 备注 TEXT COLLATE NOCASE)")},
        {QStringLiteral("blName"),
            QStringLiteral("CREATE TABLE %1 (编号 INTEGER PRIMARY KEY, 名称 TEXT COLLATE NOCASE, 单价 REAL, "
                           "折扣量 REAL, 备注 TEXT COLLATE NOCASE)")},
    };
    return tables;
}

QStringList texts(QSqlQuery query)
{
    QStringList values;
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

// The column names of a table in their stored order.
QStringList columnsOf(const QString &table, QSqlDatabase &db)
{
    QStringList columns;
    QSqlQuery query = sqlExec(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table}, db);
    while (query.next())
        columns.append(query.value(0).toString());
    return columns;
}

// Copies the rows with their rowids (which keep the order of the rows and
// are the keys of the price tables), then puts the new table in its place.
void rebuild(const QString &table, QSqlDatabase &db)
{
    const QString fresh = table + QStringLiteral("_nocase");
    const QStringList dependents
        = texts(sqlExec(QStringLiteral("SELECT sql FROM sqlite_master WHERE type IN ('index','trigger') "
                                       "AND tbl_name=? AND sql IS NOT NULL ORDER BY rowid"),
            {table}, db));
    const QStringList old = columnsOf(table, db);
    sqlExec(caseInsensitiveDefinition(table).arg(fresh), {}, db);
    if (columnsOf(fresh, db) != old)
        throw Error(QStringLiteral("表 %1 的列与预期不同, 无法更新").arg(table));
    // An INTEGER PRIMARY KEY is the rowid itself.
    const bool keyedByRowid = sqlScalar(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info(?) "
                                                       "WHERE pk>0 AND upper(type)='INTEGER'"),
                                  {table}, db)
                                  .toInt()
        > 0;
    const QString columns = (keyedByRowid ? QString() : QStringLiteral("rowid,")) + old.join(QLatin1Char(','));
    sqlExec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(fresh, columns, table), {}, db);
    sqlExec(QStringLiteral("DROP TABLE ") + table, {}, db);
    sqlExec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(fresh, table), {}, db);
    for (const QString &sql : dependents)
        sqlExec(sql, {}, db);
}

} // namespace

QStringList caseInsensitiveTables()
{
    return {QStringLiteral("MjTemp"), QStringLiteral("LcTemp"), QStringLiteral("PjTemp"), QStringLiteral("BlTemp"),
        QStringLiteral("lcName"), QStringLiteral("pjName"), QStringLiteral("blName")};
}

QString caseInsensitiveDefinition(const QString &table)
{
    return definitions().value(table);
}

void collateTextsWithoutCase(QSqlDatabase &db)
{
    // A view naming a table being replaced would stop the rename.
    QSqlQuery query = sqlExec(
        QStringLiteral("SELECT name,sql FROM sqlite_master WHERE type='view' AND sql IS NOT NULL ORDER BY rowid"), {},
        db);
    QStringList views;
    QStringList viewSql;
    while (query.next()) {
        views.append(query.value(0).toString());
        viewSql.append(query.value(1).toString());
    }
    query.finish();
    for (const QString &view : views)
        sqlExec(QStringLiteral("DROP VIEW ") + view, {}, db);
    for (const QString &table : caseInsensitiveTables())
        rebuild(table, db);
    for (const QString &sql : viewSql)
        sqlExec(sql, {}, db);
}

} // namespace tarvex
