#pragma once

#include <QString>

#include "core/common/db/gridfilter.h"

class QComboBox;

namespace tarvex {

class FlexGrid;

// The filter list of a grid window (ComboFill): lays the combo box over the
// grid's current cell and offers "全部" and the distinct values of the current
// column among the rows the filter leaves. source is the table or view name.
// Throws Error when the query fails.
void fillFilterList(QComboBox *combo, FlexGrid *grid, const QString &source, const GridFilter &filter);

} // namespace tarvex
