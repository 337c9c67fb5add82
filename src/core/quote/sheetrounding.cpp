#include "quote/sheetrounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarvex {

namespace {

struct Digits {
    long long mantissa = 0; // 15 significant digits
    int exponent = 0; // power of ten of the first digit
};

Digits fifteenDigits(double magnitude)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", magnitude); // "7.42950000000000e+00"
    Digits d;
    char *end = nullptr;
    d.mantissa = std::strtoll(buf, &end, 10); // the digit before the point
    for (const char *p = end + 1; *p >= '0' && *p <= '9'; ++p)
        d.mantissa = d.mantissa * 10 + (*p - '0');
    d.exponent = std::atoi(std::strchr(buf, 'e') + 1);
    return d;
}

long long powerOfTen(int n)
{
    long long p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

double spreadsheetRound(double x, int decimals)
{
    if (!std::isfinite(x) || x == 0)
        return x;
    const Digits d = fifteenDigits(std::abs(x));
    // Digits of the mantissa below the rounding place.
    const int below = -decimals - (d.exponent - 14);
    if (below <= 0)
        return x;
    if (below > 15)
        return 0; // less than a tenth of the last place
    const long long unit = powerOfTen(below);
    long long kept = d.mantissa / unit;
    if (2 * (d.mantissa % unit) >= unit)
        ++kept;
    if (kept == 0)
        return 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%llde%d", kept, -decimals);
    const double r = std::strtod(buf, nullptr);
    return x < 0 ? -r : r;
}

// Our Round judges a half on the exact binary value of x (1.143 × 6.5 is the
// double 7.42949999…, giving 7.429), a spreadsheet on the decimal value
// (7.4295, a half, giving 7.43). Only where the two part is x a half to the
// sheet, and there a nudge far below the rounding place, yet well inside
// the 15 digits the sheet sees, takes it to our side. Everywhere else the
// formula stays a plain ROUND.
std::optional<QString> roundingNudge(double x, double ours, int decimals)
{
    const double sheet = spreadsheetRound(x, decimals);
    if (sheet == ours)
        return QString();
    if (!std::isfinite(x) || x == 0)
        return std::nullopt;
    const int magnitude = fifteenDigits(std::abs(x)).exponent;
    const int exponent = std::min(std::max(magnitude - 10, -9), -(decimals + 1));
    const bool down = ours < sheet;
    const double nudge = std::pow(10.0, exponent);
    if (spreadsheetRound(down ? x - nudge : x + nudge, decimals) != ours)
        return std::nullopt;
    return (down ? QStringLiteral("-1E") : QStringLiteral("+1E")) + QString::number(exponent);
}

QString roundFormula(const QString &expression, const QString &nudge, int decimals)
{
    return QStringLiteral("ROUND(%1%2,%3)").arg(expression, nudge).arg(decimals);
}

} // namespace tarvex
