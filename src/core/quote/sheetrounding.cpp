#include "core/quote/sheetrounding.h"

#include "core/common/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvex {

namespace {

// Power of ten of the first significant digit of x (x != 0).
int decimalExponent(double x)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::abs(x));
    return std::atoi(std::strchr(buf, 'e') + 1);
}

} // namespace

double spreadsheetRound(double x, int decimals)
{
    return roundDecimal(x, decimals, Halves::AwayFromZero);
}

// Both judge a half on the same 15-digit decimal; only a half whose even
// neighbour lies towards zero parts them (7.4285: ours 7.428, the sheet's
// 7.429). There a nudge far below the rounding place, yet well inside the 15
// digits the sheet sees, takes it to our side. Everywhere else the formula
// stays a plain ROUND.
std::optional<QString> roundingNudge(double x, double ours, int decimals)
{
    const double sheet = spreadsheetRound(x, decimals);
    if (sheet == ours)
        return QString();
    if (!std::isfinite(x) || x == 0)
        return std::nullopt;
    const int magnitude = decimalExponent(x);
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
