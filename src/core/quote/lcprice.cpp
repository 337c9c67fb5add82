#include "core/quote/lcprice.h"

#include "core/common/numbers.h"

#include <QStringList>

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

QString lcPricePrompt(const LcPriceClass &cls)
{
    return QStringLiteral("请输入第") + QStringLiteral("1") + QStringLiteral("种主材:") + cls.cls + QStringLiteral(";")
        + (cls.thermal ? QStringLiteral("隔热材的单价:") : QStringLiteral("非隔热材的单价:"));
}

QString lcPriceAnswerText(const std::optional<QString> &answer)
{
    return plainNumber(answer ? leadingNumber(*answer) : 0.0);
}

QString lcPrice(const QVector<LcPriceClass> &classes, const LcPriceAsk &ask)
{
    QVector<LcPriceItem> items;
    for (const LcPriceClass &cls : classes)
        items.append(
            {cls.cls, thermalText(cls.thermal), lcPriceAnswerText(ask ? ask(cls, lcPricePrompt(cls)) : std::nullopt)});
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
