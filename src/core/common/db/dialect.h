#pragma once

#include "core/common/db/database.h"

#include <QSqlRecord>
#include <QString>
#include <QStringList>

namespace tarvex {

// The few places where an SQLite file and a PostgreSQL server need different
// SQL text. Everything else the program writes runs on both as it stands.

// The working rows' order for a query over a working table or a priced
// view: " ORDER BY rowid" on a server. A file's views give their rows in
// that order by themselves (and have no rowid): there it is empty.
QString workingRowOrder(const QSqlDatabase &db = Database::shared());

// source (a table or view) as the FROM of a GROUP BY over keys that reads
// FIRST and the grouped texts from each group's first row, as on a file: a
// file groups its rows in the order they come, a server's rows are put in
// the keys' order, then the rows' own (rowOrder, the table's row number)
// first. keys as written in the GROUP BY.
QString groupedRows(const QString &source, const QString &keys, const QSqlDatabase &db = Database::shared(),
    const QString &rowOrder = QStringLiteral("rowid"));

// SELECT fields FROM source GROUP BY keys, the groups in the keys' order
// (Null first), FIRST and the grouped texts read from each group's first row
// as on a file. A server compares its case-insensitive keys letter by letter
// at every step of a sort; here they are lowered once per row and sorted as
// plain bytes, which gives the same groups in the same order. fields may
// name the keys bare and use FIRST(expression); keys as in a GROUP BY.
QString groupedQuery(const QString &fields, const QString &source, const QString &keys,
    const QSqlDatabase &db = Database::shared(), const QString &rowOrder = QStringLiteral("rowid"));

// The column that numbers the rows of a table or priced view in the order
// they were added: 编号 for the three numbered price tables, else rowid.
QString rowOrderOf(const QString &source);

// A condition that compares a text column with a bound text letter case
// counting ("column=?" in binary order), whatever the column's own rule.
QString exactTextEquals(const QString &column, const QSqlDatabase &db = Database::shared());

// The column names of a query's result as its text spells them: a server
// gives unquoted ASCII names in lower case ("ID" comes back as "id").
QStringList columnNames(const QSqlRecord &record, const QString &sql, const QSqlDatabase &db);

// Holds the table against other writers until the transaction ends, so that
// numbers allocated as the highest + 1 cannot be handed out twice by two
// workstations (a file's write transaction holds the whole file already).
void lockForNumbering(const QString &table, QSqlDatabase db = Database::shared());

// After rows were added with their own numbers in column (an ID a new row
// would otherwise get by itself): a server's counter goes on after the
// highest. A file takes the highest + 1 by itself.
void continueRowNumbers(const QString &table, const QString &column, QSqlDatabase db);

// Whether this connection may add, change and delete rows of the table (on
// a server: the role's rights; a file always may).
bool mayChangeTable(const QString &table, QSqlDatabase db = Database::shared());

} // namespace tarvex
