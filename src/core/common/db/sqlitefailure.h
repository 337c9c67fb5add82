#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

struct sqlite3;

namespace tarvex {

// What a failure of SQLite on a file means, in the user's words: the file is
// damaged, read-only, locked by another program, the disk is full ... naming
// the file, with the engine's own text after it ("数据库文件 X 已损坏或不是
// 数据库文件: database disk image is malformed"). Any other failure (a
// constraint, a statement) is the engine's text alone. code: SQLite's result
// code, extended or not.
QString sqliteFailureText(const QString &file, int code, const QString &engineText);

// The same for the last failure on a Qt connection or a raw handle.
QString sqliteFailureText(const QSqlError &error, const QSqlDatabase &db);
QString sqliteFailureText(sqlite3 *handle);

// True for failures of the file rather than of one statement or row.
bool isFileFailure(int code);

} // namespace tarvex
