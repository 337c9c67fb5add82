#pragma once

#include "common/database.h"
#include "rawdata/rawdata.h"

namespace tarvex {

// Replaces the rows of the four working tables with the records, in one
// transaction: when anything fails the tables keep their old rows. Throws Error.
void replaceWorkingTables(const RawData &data, QSqlDatabase db = Database::shared());

// Reads the xdt file and replaces the working tables with its records; a file
// that cannot be read or holds a bad line changes nothing. Throws Error.
RawData loadRawDataFile(const QString &path, QSqlDatabase db = Database::shared());

} // namespace tarvex
