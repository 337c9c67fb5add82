#pragma once

#include <QString>

namespace tarvex {

// What a column of the working database holds, by its name (the tables and
// the views share their column names): numbers, the yes/no flag 隔热, or
// text. Filters compare and grids show values by it.
enum class ColumnKind { Text, Number, YesNo };

ColumnKind columnKind(const QString &column);

} // namespace tarvex
