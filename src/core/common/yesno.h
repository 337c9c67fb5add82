#pragma once

#include <QString>

namespace tarvex {

// A yes/no value (隔热) as the grids show it: "是" or "否"; stored as 1/0.
QString yesNoText(bool yes);

// A yes/no value as a user or a file writes it: 1/0, True/False (any case)
// or 是/否. False for any other text.
bool readYesNo(const QString &text, bool *yes);

} // namespace tarvex
