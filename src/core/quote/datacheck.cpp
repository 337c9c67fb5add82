#include "quote/datacheck.h"

#include <QSqlQuery>

namespace tarvex {

namespace {

// True when some group of the query has Null in the given field. The groups
// take the first value in row order, so a price missing only in a later raw
// row of the group passes, as it does in the quotation itself.
bool anyNull(const QString &sql, int field, QSqlDatabase db)
{
    QSqlQuery query = sqlExec(sql, {}, db);
    while (query.next()) {
        if (query.value(field).isNull())
            return true;
    }
    return false;
}

} // namespace

int DataCheck(QSqlDatabase db)
{
    const ReadTransaction snapshot(db);
    if (anyNull(QStringLiteral("SELECT 代号,FIRST (线重) AS 线重 FROM PriceLc GROUP BY 代号"), 1, db))
        return 1;
    if (anyNull(
            QStringLiteral("SELECT 名称,规格,技术要求,FIRST(单价) AS 单价 FROM PricePj GROUP BY 名称,规格,技术要求"), 3,
            db))
        return 2;
    if (anyNull(QStringLiteral("SELECT 名称,FIRST(单价) AS 单价 FROM PriceBl GROUP BY 名称"), 1, db))
        return 3;
    return 0;
}

QString dataCheckMessage(int result)
{
    switch (result) {
    case 1:
        return QStringLiteral("主材数据中有记录末找到线重!");
    case 2:
        return QStringLiteral("附件数据中有记录末找到单价!");
    case 3:
        return QStringLiteral("玻璃数据中有记录末找到单价!");
    default:
        return QString();
    }
}

QString dataCheckQuestion(int result)
{
    if (result == 2 || result == 3)
        return dataCheckMessage(result) + QStringLiteral("是否继续?");
    return dataCheckMessage(result);
}

} // namespace tarvex
