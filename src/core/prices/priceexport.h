#pragma once

#include <QString>

namespace tarvex {

struct PriceTable;

// Writes the whole price table in its load order to path, the header row
// holding the table's column names: .xlsx (numbers as numbers) when the
// name ends so, otherwise .csv (UTF-8 with BOM, comma, CR LF). The file
// appears whole or not at all. Returns the number of records written;
// throws Error with the reason.
int exportPriceTable(const PriceTable &table, const QString &path);

} // namespace tarvex
