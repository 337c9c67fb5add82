#pragma once

#include "core/common/db/database.h"
#include "core/rawdata/rawdata.h"
#include "core/rawdata/xdtreader.h"

namespace tarvex {

// Rows loaded into each working table.
struct RawDataCounts {
    qint64 profiles = 0; // LcTemp
    qint64 glass = 0; // BlTemp
    qint64 accessories = 0; // PjTemp
    qint64 windows = 0; // MjTemp
};

// Replaces the rows of the four working tables with the records, in one
// transaction: when anything fails the tables keep their old rows. Throws Error.
void replaceWorkingTables(const RawData &data, QSqlDatabase db = Database::shared());

// Reads the xdt file and replaces the working tables with its records, line
// by line in one transaction: a file that cannot be read or holds a bad line
// changes nothing. Throws Error.
RawDataCounts loadRawDataFile(
    const QString &path, QSqlDatabase db = Database::shared(), const XdtProgress &progress = {});

} // namespace tarvex
