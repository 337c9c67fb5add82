#pragma once

#include <QString>

namespace tarvex {

// The filter of a grid window: empty, or " WHERE " followed by conditions
// column=value joined by " AND ". Choosing value v on column col:
// - a value other than "全部" adds the condition col=v, or replaces the
//   condition on col already present together with every condition after it;
//   numbers go in bare, "True"/"False" as literals, other texts quoted;
// - "全部" removes the condition on col and every one after it (the whole
//   filter when col is the first condition or not filtered at all).
QString updateFilterText(const QString &filterText, const QString &col, const QString &value);

// The SQL literal of a chosen filter value.
QString filterValueLiteral(const QString &value);

} // namespace tarvex
