#include "core/common/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace tarvex {

namespace {

// The rounding of values far from a half: |x| × 10^decimals below 10^12
// and farther from a half than the 15-digit decimal can lie from it (half a
// unit of its 15th digit plus the product's own rounding, under 10^-14 of
// the value). Both lie between the same two halves and go to the same whole
// number k, and k / 10^decimals is the double nearest k·10^-decimals, as the
// text route gives. Nothing when the value is too near a half or too large.
std::optional<double> roundFar(double x, int decimals)
{
    if (decimals < 0 || decimals > 9)
        return std::nullopt;
    double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const double scaled = std::abs(x) * scale;
    if (!(scaled < 1e12))
        return std::nullopt;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole; // exact below 2^52
    if (std::abs(fraction - 0.5) <= scaled * 1e-14 + 1e-300)
        return std::nullopt;
    const double kept = fraction < 0.5 ? whole : whole + 1;
    if (kept == 0)
        return 0.0; // no negative zero
    const double r = kept / scale;
    return x < 0 ? -r : r;
}

} // namespace

double roundDecimal(double x, int decimals, Halves halves)
{
    if (!std::isfinite(x))
        return x;
    if (x == 0)
        return 0; // no negative zero
    // Nearly every figure lies far from a half and needs no decimal text.
    if (const std::optional<double> far = roundFar(x, decimals))
        return *far;
    // The 15 significant digits of |x| as a whole number and the power of
    // ten of its first digit: "7.42950000000000e+00" -> 742950000000000, 0.
    // (to_chars writes what printf's "%.14e" writes, without its locale.)
    char buf[40] = {};
    std::to_chars(buf, buf + sizeof buf - 1, std::abs(x), std::chars_format::scientific, 14);
    char *end = nullptr;
    long long mantissa = std::strtoll(buf, &end, 10);
    for (const char *p = end + 1; *p >= '0' && *p <= '9'; ++p)
        mantissa = mantissa * 10 + (*p - '0');
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);

    // Digits of the mantissa below the rounding place.
    const int below = -decimals - (exponent - 14);
    if (below <= 0)
        return x; // no digit to drop
    if (below > 15)
        return 0; // less than a tenth of the last place
    long long unit = 1;
    for (int i = 0; i < below; ++i)
        unit *= 10;
    long long kept = mantissa / unit;
    const long long twice = 2 * (mantissa % unit);
    if (twice > unit || (twice == unit && (halves == Halves::AwayFromZero || kept % 2 != 0)))
        ++kept;
    if (kept == 0)
        return 0; // no negative zero
    // The double nearest kept × 10^-decimals, as strtod reads "<kept>e<-decimals>".
    char text[48] = {};
    char *at = std::to_chars(text, text + 24, kept).ptr; // at most 16 digits
    *at++ = 'e';
    at = std::to_chars(at, text + sizeof text, -decimals).ptr;
    double r = 0;
    std::from_chars(text, at, r);
    return x < 0 ? -r : r;
}

double Round(double x, int decimals)
{
    return roundDecimal(x, decimals, Halves::ToEven);
}

QString plainNumber(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buf[512];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return QString::fromLatin1(buf, int(result.ptr - buf));
}

char *format3Chars(char *begin, double value)
{
    const double rounded = Round(value, 3);
    // Zero's sign, infinities, Nan and figures so large that a double's
    // exact value may lie halfway at the fourth decimal (Qt rounds that half
    // away from zero, to_chars to even) as Qt writes them.
    if (rounded == 0 || !(std::abs(rounded) < 1e9)) {
        const QByteArray qt = QString::number(rounded, 'f', 3).toLatin1();
        std::memcpy(begin, qt.constData(), size_t(qt.size()));
        return begin + qt.size();
    }
    // Below that, a figure rounded to three decimals is the double nearest
    // to one, and its exact decimal rounded to three places is the same.
    return std::to_chars(begin, begin + kFormat3Chars, rounded, std::chars_format::fixed, 3).ptr;
}

QString format3(double value)
{
    char text[kFormat3Chars];
    return QString::fromLatin1(text, format3Chars(text, value) - text);
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

NumberKind numberKind(const QVariant &value)
{
    if (value.isNull())
        return NumberKind::None;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return NumberKind::Real;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return NumberKind::Whole;
    default:
        return NumberKind::None;
    }
}

} // namespace tarvex
