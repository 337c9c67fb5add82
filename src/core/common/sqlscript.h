#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace tarvex {

// Splits an SQL script into statements at semicolons outside quotes; lines
// starting with -- are comments.
QStringList splitSqlScript(const QString &script);

// Runs a script file (UTF-8 or GBK) in one transaction. Throws Error.
void runSqlScriptFile(const QString &path, QSqlDatabase db);

} // namespace tarvex
