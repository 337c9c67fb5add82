#pragma once

#include "core/cutting/cutplan.h"

#include <QString>

namespace tarvex {

// The plan as a workbook: the sheet "汇总" (the summary per code, the
// totals and the pieces left out), then one sheet per code listing its bars
// and each bar's cuts. The file appears whole or not at all. Throws Error.
void writeCutWorkbook(const QString &path, const CutPlan &plan);

// A new file in the program folder's temp1: "下料优化-20260105-143000.xlsx".
QString defaultCutWorkbookPath();

} // namespace tarvex
