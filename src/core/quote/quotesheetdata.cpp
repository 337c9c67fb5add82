#include "quote/quotesheetdata.h"

#include "common/database.h"
#include "common/numbers.h"
#include "common/sqlquote.h"
#include "quote/lcprice.h"

#include <QSqlRecord>

namespace tarvex {

namespace {

const QChar kKeySeparator(0x1f);

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

QString whereClause(const QuoteRun &run, const QString &name)
{
    // The result names its scope; the options stand in for a result that
    // left it at its default.
    const QuoteOptions::Scope scope
        = run.result.scope != QuoteOptions::Scope::Whole ? run.result.scope : run.options.scope;
    switch (scope) {
    case QuoteOptions::Scope::Whole:
        return QString();
    case QuoteOptions::Scope::Series:
        return QStringLiteral(" WHERE 门窗系列=") + SqlQuote(name);
    case QuoteOptions::Scope::Window:
        return QStringLiteral(" WHERE 窗号=") + SqlQuote(name);
    }
    return QString();
}

} // namespace

QString QuoteQuantities::profileKey(const QString &materialClass, bool thermal)
{
    return materialClass + kKeySeparator + (thermal ? QLatin1Char('1') : QLatin1Char('0'));
}

QString QuoteQuantities::accessoryKey(const QString &name, const QString &spec)
{
    return name + kKeySeparator + spec;
}

bool flagFromText(const QString &text, bool *ok)
{
    const QString t = text.trimmed().toLower();
    const bool isTrue = t == QLatin1String("true") || t == QLatin1String("-1") || t == QLatin1String("1")
        || t == QStringLiteral("是");
    const bool isFalse = t == QLatin1String("false") || t == QLatin1String("0") || t == QStringLiteral("否");
    if (ok)
        *ok = isTrue || isFalse;
    return isTrue;
}

QVariant lossCell(const QString &text)
{
    return text.trimmed().isEmpty() ? QVariant() : QVariant(leadingNumber(text));
}

QuoteDetails loadQuoteDetails(const QuoteRun &run)
{
    QuoteDetails details;
    details.profiles = profileRows(run);
    details.accessories = readRows(QStringLiteral("SELECT 名称,规格,FIRST(技术要求)AS 技术要求,FIRST(单位)AS 单位,"
                                                  "FIRST(单价*折扣量) AS 单价 FROM PricePj GROUP BY 名称,规格"),
        lossCell(run.options.lossPj), true);
    details.glass = readRows(QStringLiteral("SELECT 名称,FIRST(单价*折扣量) AS 单价 FROM PriceBl GROUP BY 名称"),
        lossCell(run.options.lossBl), true);
    details.fees = readRows(QStringLiteral("SELECT * FROM FyTable"), QVariant(), false);
    for (QVariantList &fee : details.fees)
        fee = fee.mid(0, 3);
    return details;
}

QVector<QuoteQuantities> loadQuoteQuantities(const QuoteRun &run)
{
    QVector<QuoteQuantities> all;
    for (const QuoteItem &item : run.result.items) {
        const QString where = whereClause(run, item.name);
        QuoteQuantities quantities;
        QSqlQuery lc = sqlExec(QStringLiteral("SELECT SUM(长度*线重) AS 重量,隔热,材料类别 FROM PriceLc") + where
            + QStringLiteral(" GROUP BY 隔热,材料类别"));
        while (lc.next())
            quantities.profiles.insert(
                QuoteQuantities::profileKey(lc.value(2).toString(), lc.value(1).toBool()), lc.value(0).toDouble());
        QSqlQuery pj
            = sqlExec(QStringLiteral("SELECT 名称,规格,SUM(数量) AS 数量,FIRST(单位) AS 单位,FIRST(技术要求) AS 要求 "
                                     "FROM PricePj")
                + where + QStringLiteral(" GROUP BY 名称,规格"));
        while (pj.next())
            quantities.accessories.insert(
                QuoteQuantities::accessoryKey(pj.value(0).toString(), pj.value(1).toString()), pj.value(2).toDouble());
        QSqlQuery bl = sqlExec(
            QStringLiteral("SELECT 名称,SUM(面积)AS 面积 FROM PriceBl") + where + QStringLiteral(" GROUP BY 名称"));
        while (bl.next())
            quantities.glass.insert(bl.value(0).toString(), bl.value(1).toDouble());
        all.append(quantities);
    }
    return all;
}

} // namespace tarvex
