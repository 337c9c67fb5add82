#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace tarvex {

// The upgrade of newdb.sqlite that makes its texts compare without regard to
// the case of ASCII letters, as the design tool's users expect of their price
// look-ups: a project's kf601 finds the price row KF601. Every text column of
// the working and price tables is declared COLLATE NOCASE, so the views'
// joins, the look-ups, the filters and every GROUP BY, DISTINCT and ORDER BY
// over them compare that way, and their indexes are built that way. The
// fees keep their key as it was: two fees whose names differ in case only
// may already exist. Stored texts stay as typed.
//
// The tables are built anew under their names with the same rows, rowids
// and indexes; the views are dropped and made again around the rebuild.
void collateTextsWithoutCase(QSqlDatabase &db);

// The tables the upgrade rebuilds, and their definitions after it.
QStringList caseInsensitiveTables();
QString caseInsensitiveDefinition(const QString &table);

} // namespace tarvex
