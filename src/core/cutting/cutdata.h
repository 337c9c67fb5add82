#pragma once

#include "core/cutting/cutplan.h"

#include <QSqlDatabase>
#include <QStringList>

namespace tarvex {

// The pieces of the working data grouped by profile code, each code with its
// name, line weight (the lcName row with the lowest 编号, as the priced
// views take it) and stock length from lcStock. onlyCodes, when not empty,
// keeps those codes only; withRemnants gives each code its remnants
// (lcRemnant) to take before new bars. One read transaction: a load running
// in another process cannot mix two projects. Throws Error.
QVector<CutCode> readCutCodes(QSqlDatabase db, const QStringList &onlyCodes = {}, bool withRemnants = false);

// The project's codes with their name and stock length (empty: the default),
// for the stock grid.
QString stockGridQuery();

// Sets or (with no value) removes a code's own stock length. Throws Error,
// also for a length checkStockLength refuses.
void setStockLength(QSqlDatabase db, const QString &code, std::optional<double> metres);

} // namespace tarvex
