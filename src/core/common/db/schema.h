#pragma once

#include "core/common/db/schemaversion.h"

#include <QStringList>

namespace tarvex {

// Statements that create the working database's tables, views and indexes
// of the first version.
QStringList workingSchemaStatements();

// Statements that create the register of customer offers.
QStringList offerRegisterStatements();

// The versions of newdb.sqlite: new upgrade steps are appended here.
SchemaPlan workingSchemaPlan();

} // namespace tarvex
