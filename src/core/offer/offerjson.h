#pragma once

#include "core/offer/offer.h"

#include <QByteArray>

namespace tarvex {

// The offer as JSON: its fields, lines, subtotals and totals (money in yuan
// with two decimals, as numbers) and the total in words.
QByteArray offerJson(const Offer &offer);

} // namespace tarvex
