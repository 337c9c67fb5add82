#pragma once

#include <QDate>
#include <QString>

namespace tarvex {

// The firm's pattern of offer numbers: literal text with one counter {nnn}
// (as many digits at least as n's) and any number of date fields in braces
// ({yyyyMMdd}, {yyMM}, ...). The counter runs per distinct text of the rest,
// so BJ{yyyyMMdd}-{nnn} counts per day.
QString defaultOfferNumberPattern();

// The numbers a pattern gives on one date.
struct OfferNumberSlot {
    QString key; // the pattern with the dates filled in: what the counter runs for
    QString before;
    QString after;
    int width = 3;

    QString number(int counter) const;
};

// Throws Error naming the pattern when it has no counter, two counters or a
// brace left open.
OfferNumberSlot offerNumberSlot(const QString &pattern, const QDate &date);

// The revisions of an offer: its number with -R1, -R2, ...
OfferNumberSlot revisionSlot(const QString &firstNumber);

} // namespace tarvex
