#include "core/offer/offernumber.h"

#include "core/common/error.h"

namespace tarvex {

namespace {

bool isCounter(const QString &field)
{
    return !field.isEmpty() && field.count(QLatin1Char('n')) == field.size();
}

Error badPattern(const QString &pattern, const QString &reason)
{
    return Error(QStringLiteral("报价编号格式 \"%1\" 有误: %2").arg(pattern, reason));
}

} // namespace

QString defaultOfferNumberPattern()
{
    return QStringLiteral("BJ{yyyyMMdd}-{nnn}");
}

QString OfferNumberSlot::number(int counter) const
{
    return before + QStringLiteral("%1").arg(counter, width, 10, QLatin1Char('0')) + after;
}

OfferNumberSlot offerNumberSlot(const QString &pattern, const QDate &date)
{
    OfferNumberSlot slot;
    bool counterSeen = false;
    QString *text = &slot.before;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('}'))
            throw badPattern(pattern, QStringLiteral("多余的 }"));
        if (c != QLatin1Char('{')) {
            text->append(c);
            ++i;
            continue;
        }
        const qsizetype close = pattern.indexOf(QLatin1Char('}'), i + 1);
        if (close < 0)
            throw badPattern(pattern, QStringLiteral("{ 没有对应的 }"));
        const QString field = pattern.mid(i + 1, close - i - 1);
        if (isCounter(field)) {
            if (counterSeen)
                throw badPattern(pattern, QStringLiteral("只能有一个序号 {nnn}"));
            counterSeen = true;
            slot.width = int(field.size());
            text = &slot.after;
        } else if (field.isEmpty() || field.contains(QLatin1Char('{'))) {
            throw badPattern(pattern, QStringLiteral("空的或嵌套的 {}"));
        } else {
            text->append(date.toString(field));
        }
        i = close + 1;
    }
    if (!counterSeen)
        throw badPattern(pattern, QStringLiteral("没有序号 {nnn}"));
    slot.key = slot.before + QLatin1Char('{') + QString(slot.width, QLatin1Char('n')) + QLatin1Char('}') + slot.after;
    return slot;
}

OfferNumberSlot revisionSlot(const QString &firstNumber)
{
    OfferNumberSlot slot;
    slot.before = firstNumber + QStringLiteral("-R");
    slot.width = 1;
    slot.key = slot.before + QStringLiteral("{n}");
    return slot;
}

} // namespace tarvex
