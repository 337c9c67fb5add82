#include "core/offer/money.h"

#include "core/common/error.h"
#include "core/common/numbers.h"

#include <cmath>

namespace tarvex {

namespace {

// Up to 9,999,999,999,999,999.99 yuan: four sections of four digits.
constexpr Fen kLargestFen = 999999999999999999LL;

const QChar kDigits[] = {u'零', u'壹', u'贰', u'叁', u'肆', u'伍', u'陆', u'柒', u'捌', u'玖'};
const QChar kPlaces[] = {QChar(), u'拾', u'佰', u'仟'};
const QString kSections[] = {QString(), QStringLiteral("万"), QStringLiteral("亿"), QStringLiteral("万亿")};

// One section of four digits (1..9999) without its section name; zeros
// inside collapse to one 零, zeros at its end are left out.
QString sectionInWords(int value)
{
    QString text;
    bool zero = false;
    for (int place = 3; place >= 0; --place) {
        int unit = 1;
        for (int i = 0; i < place; ++i)
            unit *= 10;
        const int digit = value / unit % 10;
        if (digit == 0) {
            zero = !text.isEmpty();
            continue;
        }
        if (zero)
            text += kDigits[0];
        zero = false;
        text += kDigits[digit];
        if (!kPlaces[place].isNull())
            text += kPlaces[place];
    }
    return text;
}

// The whole yuan: sections from the highest; a section below a thousand
// after a higher one, or after sections that are all zero, starts with 零
// (10,010 -> 壹万零壹拾, 100,000,001 -> 壹亿零壹).
QString yuanInWords(Fen yuan)
{
    int sections[4];
    for (int &s : sections) {
        s = int(yuan % 10000);
        yuan /= 10000;
    }
    QString text;
    bool gap = false;
    for (int i = 3; i >= 0; --i) {
        if (sections[i] == 0) {
            gap = !text.isEmpty();
            continue;
        }
        if (!text.isEmpty() && (gap || sections[i] < 1000))
            text += kDigits[0];
        gap = false;
        text += sectionInWords(sections[i]) + kSections[i];
    }
    return text;
}

} // namespace

Fen toFen(double yuan)
{
    const double rounded = Round(yuan, 2);
    if (!std::isfinite(rounded) || std::abs(rounded) * 100 > double(kLargestFen))
        throw Error(QStringLiteral("金额超出范围: ") + plainNumber(yuan));
    return std::llround(rounded * 100);
}

double toYuan(Fen fen)
{
    return double(fen) / 100;
}

QString formatYuan(Fen fen)
{
    const Fen magnitude = fen < 0 ? -fen : fen;
    QString whole = QString::number(magnitude / 100);
    for (int i = int(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(','));
    return (fen < 0 ? QStringLiteral("-") : QString()) + whole + QLatin1Char('.')
        + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString amountInWords(Fen fen)
{
    if (fen < -kLargestFen || fen > kLargestFen)
        throw Error(QStringLiteral("金额超出范围: ") + formatYuan(fen));
    QString text = QStringLiteral("人民币");
    if (fen < 0) {
        text += QStringLiteral("负");
        fen = -fen;
    }
    const Fen yuan = fen / 100;
    const int jiao = int(fen / 10 % 10);
    const int fenDigit = int(fen % 10);
    if (yuan == 0 && fen != 0) {
        // Less than one yuan: no 元 and no leading 零 (人民币伍角整, 人民币伍分).
        if (jiao != 0)
            text += kDigits[jiao] + QStringLiteral("角");
        if (fenDigit != 0)
            text += kDigits[fenDigit] + QStringLiteral("分");
        else
            text += QStringLiteral("整");
        return text;
    }
    text += (yuan == 0 ? QString(kDigits[0]) : yuanInWords(yuan)) + QStringLiteral("元");
    if (jiao == 0 && fenDigit == 0)
        return text + QStringLiteral("整");
    if (jiao != 0)
        text += kDigits[jiao] + QStringLiteral("角");
    else
        text += kDigits[0];
    if (fenDigit != 0)
        text += kDigits[fenDigit] + QStringLiteral("分");
    else
        text += QStringLiteral("整");
    return text;
}

} // namespace tarvex
