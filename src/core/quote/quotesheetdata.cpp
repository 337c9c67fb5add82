#include "core/quote/quotesheetdata.h"

#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/numbers.h"
#include "core/common/yesno.h"
#include "core/quote/lcprice.h"
#include "core/quote/quotecalculation.h"

#include <QSqlRecord>

namespace tarvex {

namespace {

QList<QVariantList> readRows(const QString &sql, const QVariant &loss, bool withLoss)
{
    QList<QVariantList> rows;
    QSqlQuery q = sqlExec(sql);
    const int fields = q.record().count();
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < fields; ++i)
            row.append(q.value(i));
        if (withLoss)
            row.append(loss);
        rows.append(row);
    }
    return rows;
}

QList<QVariantList> profileRows(const QuoteRun &run)
{
    QList<QVariantList> rows;
    const QVariant loss = lossCell(run.options.lossLc);
    // Split as the calculation splits it, so a class name holding "/" stays whole.
    for (const LcPriceItem &item : splitLcPriceString(run.lcPriceString)) {
        // The price is what the calculation multiplies with: the leading number.
        const QString &price = item.priceText;
        rows.append(
            {item.cls, item.flagText, price.trimmed().isEmpty() ? QVariant() : QVariant(leadingNumber(price)), loss});
    }
    return rows;
}

} // namespace

bool flagFromText(const QString &text, bool *ok)
{
    bool yes = false;
    bool read = readYesNo(text, &yes);
    // A sheet may also hold a spreadsheet's own True, -1.
    if (!read && text.trimmed() == QLatin1String("-1"))
        read = yes = true;
    if (ok)
        *ok = read;
    return yes;
}

QVariant lossCell(const QString &text)
{
    return text.trimmed().isEmpty() ? QVariant() : QVariant(leadingNumber(text));
}

QuoteDetails loadQuoteDetails(const QuoteRun &run)
{
    QuoteDetails details;
    details.profiles = profileRows(run);
    details.accessories
        = readRows(groupedQuery(QStringLiteral("名称,规格,FIRST(技术要求)AS 技术要求,FIRST(单位)AS 单位,"
                                               "FIRST(单价*折扣量) AS 单价"),
                       QStringLiteral("PricePj"), QStringLiteral("名称,规格")),
            lossCell(run.options.lossPj), true);
    details.glass = readRows(groupedQuery(QStringLiteral("名称,FIRST(单价*折扣量) AS 单价"), QStringLiteral("PriceBl"),
                                 QStringLiteral("名称")),
        lossCell(run.options.lossBl), true);
    details.fees = readRows(feesSql(), QVariant(), false);
    return details;
}

} // namespace tarvex
