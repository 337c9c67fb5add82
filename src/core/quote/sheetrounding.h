#pragma once

#include <QString>

#include <optional>

namespace tarvex {

// ROUND(x, decimals) as a spreadsheet computes it: x taken as its decimal
// value to 15 significant digits, a half going away from zero. So 7.4285
// gives 7.429 there, where our Round goes to the even 7.428.
double spreadsheetRound(double x, int decimals);

// What a sheet's ROUND over a value x needs to come to our figure: an empty
// text where the plain ROUND already does, else a tiny signed amount to add
// to x ("-1E-9"); nothing when no such amount reaches our figure.
std::optional<QString> roundingNudge(double x, double ours, int decimals = 3);

// "ROUND(expression,3)", the nudge added inside: "ROUND(D5*F5-1E-9,3)".
QString roundFormula(const QString &expression, const QString &nudge, int decimals = 3);

} // namespace tarvex
