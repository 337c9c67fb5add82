#include "core/quote/datacheck.h"

#include "core/quote/quotegroups.h"

namespace tarvex {

int DataCheck(QSqlDatabase db)
{
    const ReadTransaction snapshot(db);
    // The whole project's grouped passes: a group with a Null price holds a
    // material without price, as each price follows from its group's key.
    return readQuoteGroups(QuoteOptions(), db).dataCheck;
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
