#pragma once

#include <QString>

namespace tarvex {

// A spreadsheet formula (without "=") that rounds the expression's value to
// decimals places as our Round does, for any value a user may type into the
// cells it reads: the value taken to 15 significant digits, an exact half
// going to the even neighbour. The sheet's own ROUND sends a half away from
// zero (7.4285 -> 7.429 where Round gives 7.428).
QString halfEvenFormula(const QString &expression, int decimals = 3);

} // namespace tarvex
