#include "core/quote/datacheck.h"

#include "core/quote/quotegroups.h"

namespace tarvex {

DataCheckResult DataCheck(QSqlDatabase db)
{
    const ReadTransaction snapshot(db);
    // The whole project's grouped passes: a group with a Null price holds a
    // material without price, as each price follows from its group's key.
    return readQuoteGroups(QuoteOptions(), db).dataCheck;
}

QString dataCheckMessage(DataCheckResult result)
{
    switch (result) {
    case DataCheckResult::ProfileWithoutWeight:
        return QStringLiteral("主材数据中有记录末找到线重!");
    case DataCheckResult::AccessoryWithoutPrice:
        return QStringLiteral("附件数据中有记录末找到单价!");
    case DataCheckResult::GlassWithoutPrice:
        return QStringLiteral("玻璃数据中有记录末找到单价!");
    case DataCheckResult::AllPriced:
        break;
    }
    return QString();
}

bool mayGoOnWithout(DataCheckResult result)
{
    return result == DataCheckResult::AccessoryWithoutPrice || result == DataCheckResult::GlassWithoutPrice;
}

QString dataCheckQuestion(DataCheckResult result)
{
    if (mayGoOnWithout(result))
        return dataCheckMessage(result) + QStringLiteral("是否继续?");
    return dataCheckMessage(result);
}

} // namespace tarvex
