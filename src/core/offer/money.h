#pragma once

#include <QString>

namespace tarvex {

// Money on a customer offer is kept as a whole number of fen (0.01 yuan), so
// sums and differences are exact; a figure becomes money only where the
// offer rounds it, half to the even neighbour.
using Fen = qint64;

// x yuan rounded to 0.01 half to even (on the decimal the user sees, as
// Round does): 1.005 -> 100, 1.015 -> 102, 0.995 -> 100. Throws Error when
// x is not finite or too large for an offer.
Fen toFen(double yuan);

double toYuan(Fen fen);

// "12,030.50": two decimals, thousands separated.
QString formatYuan(Fen fen);

// The amount in words in the customary form of Chinese payment documents:
// 12,030.50 -> 人民币壹万贰仟零叁拾元伍角整, 0.05 -> 人民币伍分,
// 10,010.01 -> 人民币壹万零壹拾元零壹分, 0 -> 人民币零元整.
QString amountInWords(Fen fen);

} // namespace tarvex
