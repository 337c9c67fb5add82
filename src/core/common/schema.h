#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace tarvex {

// Statements that create the working database's tables, views and indexes.
QStringList workingSchemaStatements();

// Creates the schema in one transaction when the database has none yet.
void ensureWorkingSchema(QSqlDatabase &db);

} // namespace tarvex
