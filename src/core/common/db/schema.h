#pragma once

#include "core/common/db/schemaversion.h"

#include <QSqlDatabase>
#include <QStringList>

namespace tarvex {

// Statements that create the working database's tables, views and indexes
// of the first version.
QStringList workingSchemaStatements();

// The name of the column keyedSource adds.
constexpr const char *kRowKey = "grid_key";

// The rows of a table or of a priced view (PriceLc, PricePj, PriceBl), the
// columns as "SELECT *" gives them and one more at the end, kRowKey: a
// number that tells the rows apart and orders them as the table keeps them
// (the rowid of the table's row, or of the working row the view's row comes
// from; on a server the rowid column or the 编号), for reading a large
// grid block by block.
QString keyedSource(const QString &source, const QSqlDatabase &db);

// Statements that create the register of customer offers.
QStringList offerRegisterStatements();

// The versions of newdb.sqlite: new upgrade steps are appended here.
SchemaPlan workingSchemaPlan();

} // namespace tarvex
