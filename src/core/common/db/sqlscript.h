#pragma once

#include <QSqlDatabase>
#include <QString>

namespace tarvex {

// Runs an SQL script as the sqlite3 shell reads it, statement by statement
// (comments of both kinds, quotes, trigger bodies), all in one transaction:
// a failing statement changes nothing and is named by its line. The
// script's own BEGIN, COMMIT and END are passed over. Throws Error.
void runSqlScript(const QString &script, QSqlDatabase db);

// The same for a script file (UTF-8 or GBK).
void runSqlScriptFile(const QString &path, QSqlDatabase db);

} // namespace tarvex
