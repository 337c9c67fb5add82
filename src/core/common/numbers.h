#pragma once

#include <QString>
#include <QVariant>

namespace tarvex {

// How a value exactly halfway between two neighbours is rounded.
enum class Halves { ToEven, AwayFromZero };

// Rounds x to n decimals as a person with a calculator would: x is first
// taken to 15 significant digits (what a spreadsheet shows of it, which drops
// the binary noise of the products and quotients before it), and that
// decimal is rounded, a half as `halves` says.
double roundDecimal(double x, int decimals, Halves halves);

// Round(x, n): a decimal half goes to the even neighbour (0.125 -> 0.12,
// 0.375 -> 0.38, 2.675 -> 2.68, 1.143 × 6.5 = 7.4295 -> 7.430).
double Round(double x, int decimals);

// Shortest plain decimal text that reads back as the same double:
// 1250, 1.8, 0.0000001 (never 1e+03 or 1.8000000000000000444).
QString plainNumber(double value);

// The pattern "0.000": three decimals, at least one integer digit.
QString format3(double value);
// The same text as its ASCII bytes, written from begin on (room for
// kFormat3Chars); returns the end of the text (for the JSON outputs).
constexpr int kFormat3Chars = 400;
char *format3Chars(char *begin, double value);

// The numeric value of a typed answer: its longest leading number, blanks
// ignored; 0 when the text does not begin with a number ("12.50" -> 12.5,
// " 7.5 " -> 7.5, "abc" -> 0, "3kg" -> 3).
double leadingNumber(const QString &text);

// A whole text as a number: true only when the trimmed text is a decimal
// number (sign, digits, one point, optional exponent) and nothing else.
bool parseNumber(const QString &text, double *value);

// What a value read from a database holds: no number (Null, a text, bytes),
// a whole number (yes/no counts as one) or a double.
enum class NumberKind { None, Whole, Real };
NumberKind numberKind(const QVariant &value);

} // namespace tarvex
