#include "core/cutting/cutsettings.h"

#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/numbers.h"

#include <algorithm>
#include <cmath>

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("cut");
// A bar longer than this is a typing error, not stock.
constexpr double kLongestStock = 100;

double readLength(const IniFile &ini, const QString &key, double fallback)
{
    double value;
    if (parseNumber(ini.value(kSection, key), &value) && std::isfinite(value))
        return value;
    return fallback;
}

} // namespace

qint64 toCutUnits(double metres)
{
    // Lengths no stock holds are held at a billion metres, so that they
    // compare as too long instead of overflowing the units.
    constexpr double kFarBeyondAnyStock = 1e9;
    if (std::isnan(metres))
        return 0;
    return std::llround(std::clamp(metres, -kFarBeyondAnyStock, kFarBeyondAnyStock) * kCutUnitsPerMetre);
}

double fromCutUnits(qint64 units)
{
    return double(units) / kCutUnitsPerMetre;
}

CutSettings readCutSettings(const QString &iniPath)
{
    const IniFile ini(iniPath);
    const CutSettings defaults;
    CutSettings settings;
    settings.stock = readLength(ini, QStringLiteral("stock"), defaults.stock);
    settings.kerf = readLength(ini, QStringLiteral("kerf"), defaults.kerf);
    settings.trim = readLength(ini, QStringLiteral("trim"), defaults.trim);
    settings.remnant = readLength(ini, QStringLiteral("remnant"), defaults.remnant);
    if (ini.value(kSection, QStringLiteral("unit")).compare(QLatin1String("m"), Qt::CaseInsensitive) == 0)
        settings.unit = CutUnit::Metre;
    // A file edited by hand keeps the program working.
    if (!checkCutSettings(settings).isEmpty()) {
        settings.stock = defaults.stock;
        settings.kerf = defaults.kerf;
        settings.trim = defaults.trim;
        settings.remnant = defaults.remnant;
    }
    return settings;
}

void writeCutSettings(const QString &iniPath, const CutSettings &settings)
{
    QString error;
    if (!WriteIni(iniPath, kSection,
            {{QStringLiteral("stock"), plainNumber(settings.stock)},
                {QStringLiteral("kerf"), plainNumber(settings.kerf)},
                {QStringLiteral("trim"), plainNumber(settings.trim)}},
            &error))
        throw Error(error);
}

QString checkStockLength(double metres)
{
    if (!std::isfinite(metres) || toCutUnits(metres) <= 0)
        return QStringLiteral("定尺必须大于0");
    if (metres > kLongestStock)
        return QStringLiteral("定尺不能超过%1米").arg(kLongestStock);
    return QString();
}

QString checkCutSettings(const CutSettings &s)
{
    const QString stock = checkStockLength(s.stock);
    if (!stock.isEmpty())
        return stock;
    if (!std::isfinite(s.kerf) || s.kerf < 0)
        return QStringLiteral("锯缝不能小于0");
    if (!std::isfinite(s.trim) || s.trim < 0)
        return QStringLiteral("端头切除不能小于0");
    if (toCutUnits(s.kerf) >= toCutUnits(s.stock) || toCutUnits(s.trim) >= toCutUnits(s.stock))
        return QStringLiteral("锯缝和端头切除必须小于定尺");
    if (!std::isfinite(s.remnant) || s.remnant < 0 || s.remnant > kLongestStock)
        return QStringLiteral("余料最短长度必须在0到%1米之间").arg(kLongestStock);
    return QString();
}

bool parseCutLength(const QString &text, const QString &label, double *metres, QString *error)
{
    if (parseNumber(text, metres) && std::isfinite(*metres))
        return true;
    *error = label + QStringLiteral("不是数字: \"") + text.trimmed().left(20) + QLatin1Char('"');
    return false;
}

} // namespace tarvex
