#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace tarvex {

// A failure of the database engine in words the user reads: what went wrong,
// then the engine's own text in brackets ("数据库文件只读, 不能写入 (attempt to
// write a readonly database)"). SQLite's result codes are known by number; for
// any other code the engine's text stands alone.
QString sqliteErrorText(int resultCode, const QString &engineText);

// The same for an error Qt SQL reports on a connection.
QString databaseErrorText(const QSqlError &error, const QSqlDatabase &db);

} // namespace tarvex
