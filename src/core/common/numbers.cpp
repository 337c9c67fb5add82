#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarvex {

double Round(double x, int decimals)
{
    if (!std::isfinite(x))
        return x;
    // printf rounds the exact binary value, ties to even.
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    double r = std::strtod(buf, nullptr);
    return r == 0 ? 0.0 : r; // no negative zero
}

QString plainNumber(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buf[512];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return QString::fromLatin1(buf, int(result.ptr - buf));
}

QString format3(double value)
{
    return QString::number(Round(value, 3), 'f', 3);
}

double leadingNumber(const QString &text)
{
    // Blanks anywhere are ignored, as the input box's number conversion does.
    QString s;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            s.append(c);
    int i = 0;
    const int n = s.size();
    auto digitAt = [&](int k) { return k < n && s[k].isDigit() && s[k].unicode() < 128; };
    QString number;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        number.append(s[i++]);
    bool digits = false;
    while (digitAt(i)) {
        number.append(s[i++]);
        digits = true;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        number.append(s[i++]);
        while (digitAt(i)) {
            number.append(s[i++]);
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            exponent.append(s[j++]);
        bool expDigits = false;
        while (digitAt(j)) {
            exponent.append(s[j++]);
            expDigits = true;
        }
        if (expDigits)
            number.append(exponent);
    }
    return number.toDouble();
}

bool parseNumber(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (QChar c : t) {
        const bool allowed = (c.unicode() < 128 && c.isDigit()) || c == QLatin1Char('.') || c == QLatin1Char('-')
            || c == QLatin1Char('+') || c == QLatin1Char('e') || c == QLatin1Char('E');
        if (!allowed)
            return false;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

} // namespace tarvex
