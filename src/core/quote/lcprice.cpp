#include "quote/lcprice.h"

#include "common/numbers.h"

#include <QSqlQuery>

namespace tarvex {

QString thermalText(bool thermal)
{
    return thermal ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> thermalFromText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    double value = 0;
    if (parseNumber(t, &value))
        return value != 0;
    return std::nullopt;
}

QVector<LcPriceClass> lcPriceClasses(QSqlDatabase db)
{
    QVector<LcPriceClass> classes;
    QSqlQuery query = sqlExec(QStringLiteral("SELECT 材料类别,隔热 FROM PriceLc GROUP BY 材料类别,隔热"), {}, db);
    while (query.next())
        classes.append({query.value(0).toString(), query.value(1).toInt() != 0});
    return classes;
}

QString lcPricePrompt(const LcPriceClass &cls)
{
    return QStringLiteral("请输入第") + QStringLiteral("1") + QStringLiteral("种主材:") + cls.cls + QStringLiteral(";")
        + (cls.thermal ? QStringLiteral("隔热材的单价:") : QStringLiteral("非隔热材的单价:"));
}

QString lcPriceAnswerText(const std::optional<QString> &answer)
{
    return plainNumber(answer ? leadingNumber(*answer) : 0.0);
}

QString lcPrice(const LcPriceAsk &ask, QSqlDatabase db)
{
    QVector<LcPriceItem> items;
    for (const LcPriceClass &cls : lcPriceClasses(db))
        items.append({cls.cls, thermalText(cls.thermal), lcPriceAnswerText(ask(cls, lcPricePrompt(cls)))});
    return joinLcPriceItems(items);
}

QString joinLcPriceItems(const QVector<LcPriceItem> &items)
{
    QStringList parts;
    for (const LcPriceItem &item : items)
        parts.append(item.cls + QLatin1Char('/') + item.flagText + QLatin1Char('/') + item.priceText);
    return parts.join(QLatin1Char('\\'));
}

QVector<LcPriceItem> splitLcPriceString(const QString &text)
{
    QVector<LcPriceItem> items;
    if (text.isEmpty())
        return items;
    for (const QString &part : text.split(QLatin1Char('\\'))) {
        const int priceAt = part.lastIndexOf(QLatin1Char('/'));
        const int flagAt = priceAt > 0 ? part.lastIndexOf(QLatin1Char('/'), priceAt - 1) : -1;
        if (flagAt < 0) {
            items.append({part, QString(), QString()});
            continue;
        }
        items.append({part.left(flagAt), part.mid(flagAt + 1, priceAt - flagAt - 1), part.mid(priceAt + 1)});
    }
    return items;
}

} // namespace tarvex
