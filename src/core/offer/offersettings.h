#pragma once

#include "core/offer/offer.h"

#include <QString>

#include <optional>

namespace tarvex {

// The firm as its offers show it.
struct FirmHeader {
    QString name;
    QString address;
    QString phone;
    QString logo; // picture file; relative to the program folder; empty for none
};

// Section "offer" of cs.ini: the firm (firm, address, phone, logo), the
// number pattern (pattern), the terms printed above the signatures (terms,
// "\n" between lines), and what the offer dialog chose last (scope,
// validity, tax).
struct OfferSettings {
    FirmHeader firm;
    QString pattern;
    QString terms;
    OfferScope scope = OfferScope::Window;
    int validityDays = 30;
    std::optional<double> taxPercent;
};

// Missing or unreadable values keep the defaults (the default pattern,
// per window number, 30 days, no tax, the default terms).
OfferSettings readOfferSettings(const QString &iniPath);

// Keeps the dialog's choices; the firm, pattern and terms are the firm's to
// edit. Throws Error when the file cannot be written.
void writeOfferChoices(const QString &iniPath, const OfferSettings &settings);

// The terms as lines.
QStringList termLines(const QString &terms);

// The logo's file: the setting as it stands when absolute, else in the
// program folder; empty when no logo is set.
QString logoPath(const FirmHeader &firm);

} // namespace tarvex
