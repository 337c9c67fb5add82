#include "core/quote/quotecalculation.h"

#include "core/common/numbers.h"
#include "core/quote/finitecheck.h"

#include <QSqlQuery>

namespace tarvex {

namespace {

using Scope = QuoteOptions::Scope;

QString itemLabel(Scope scope, const QString &name)
{
    switch (scope) {
    case Scope::Series:
        return QStringLiteral("门窗系列 ") + name;
    case Scope::Window:
        return QStringLiteral("窗号 ") + name;
    case Scope::Whole:
        break;
    }
    return QString();
}

} // namespace

QString feesSql()
{
    return QStringLiteral("SELECT 费用名称,费用量,百分比 FROM FyTable ORDER BY rowid");
}

QVector<FeeRecord> readFees(QSqlDatabase db)
{
    QVector<FeeRecord> fees;
    QSqlQuery query = sqlExec(feesSql(), {}, db);
    while (query.next())
        fees.append({query.value(0).toString(), query.value(1).toDouble(), query.value(2).toDouble()});
    return fees;
}

QuoteResult calculateQuote(const QuoteOptions &options, QuoteGroups groups, const QString &lcPriceString,
    NullPrices nullPrices, const std::function<void()> &rowDone, QSqlDatabase db)
{
    return calculateQuote(options, std::move(groups), lcPriceString, nullPrices, rowDone, {}, db);
}

QuoteResult calculateQuote(const QuoteOptions &options, QuoteGroups groups, const QString &lcPriceString,
    NullPrices nullPrices, const std::function<void()> &rowDone, const std::function<void(QuoteItem &&)> &take,
    QSqlDatabase db)
{
    QuoteResult result;
    result.scope = options.scope;
    result.areaBasis = options.areaBasis;
    const QVector<LcPriceItem> prices = splitLcPriceString(lcPriceString);
    const LossFactors losses {
        leadingNumber(options.lossLc), leadingNumber(options.lossPj), leadingNumber(options.lossBl)};
    // The fee table cannot change during a run: read it once for all items.
    const QVector<FeeRecord> fees = readFees(db);
    if (!take)
        result.items.reserve(groups.items.size());
    for (QuoteItemInput &input : groups.items) {
        input.label = itemLabel(options.scope, input.name);
        if (options.scope == Scope::Whole) {
            input.sheet = QStringLiteral("报价表");
            input.title = options.project + options.title;
        } else {
            input.sheet = input.name;
            input.title = options.withName ? QString(options.project + input.name + options.title)
                                           : QString(options.project + options.title);
        }
        input.area = Round(input.area, 2);
        QuoteItem item = priceQuoteItem(input, prices, losses, fees, nullPrices, &result.warnings, rowDone);
        checkFiniteFigures(item, input.label);
        input = QuoteItemInput(); // priced: its groups are not needed any more
        if (take)
            take(std::move(item));
        else
            result.items.append(std::move(item));
    }
    return result;
}

QuoteResult calculateQuote(const QuoteOptions &options, const QString &lcPriceString, NullPrices nullPrices,
    const std::function<void()> &rowDone, QSqlDatabase db)
{
    // One project whole, even when another program loads one meanwhile.
    const ReadTransaction snapshot(db);
    return calculateQuote(options, readQuoteGroups(options, db), lcPriceString, nullPrices, rowDone, db);
}

} // namespace tarvex
