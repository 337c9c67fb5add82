#pragma once

#include <QString>

namespace tarvex {

// The unit lengths are shown in (on paper, in the workbook, on screen);
// settings and JSON are always in metres.
enum class CutUnit { Millimetre, Metre };

// Lengths of the cutting plan in metres. Plans are made in whole units of
// 0.1 mm, so a cut that fits exactly counts as a fit whatever the binary
// noise of the decimals.
struct CutSettings {
    double stock = 6.0; // stock bar length when a code has none of its own
    double kerf = 0.005; // lost to the saw between two pieces
    double trim = 0; // cut off the end of every bar first
    double remnant = 0.5; // offcuts at least this long are kept as remnants
    CutUnit unit = CutUnit::Millimetre;

    bool operator==(const CutSettings &o) const
    {
        return stock == o.stock && kerf == o.kerf && trim == o.trim && remnant == o.remnant && unit == o.unit;
    }
};

constexpr qint64 kCutUnitsPerMetre = 10000;
qint64 toCutUnits(double metres);
double fromCutUnits(qint64 units);

// Section "cut" of cs.ini: keys stock, kerf, trim, remnant (metres) and
// unit ("mm" or "m"). Missing or unreadable values keep the defaults.
CutSettings readCutSettings(const QString &iniPath);
// Writes stock, kerf and trim, the lengths the window asks for. Throws
// Error when the file cannot be written.
void writeCutSettings(const QString &iniPath, const CutSettings &settings);

// Empty when the lengths make sense; else what is wrong, for the user.
QString checkCutSettings(const CutSettings &settings);
// A stock length typed by the user ("6", "6.5"): empty error when valid.
QString checkStockLength(double metres);

// A length typed into a box: the trimmed text as a number of metres, or an
// error naming the box ("定尺(m)").
bool parseCutLength(const QString &text, const QString &label, double *metres, QString *error);

} // namespace tarvex
