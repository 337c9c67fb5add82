#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

typedef struct pg_conn PGconn;

namespace tarvex {

// The oldest server the program works with.
constexpr int kOldestServerVersion = 120000;

// Opens a connection to the PostgreSQL server that conninfo names, as
// connectionName, searching the schemas in the order given. The session
// sends doubles with every digit, plans without parallel workers (so that a
// group's rows reach FIRST in the order they are given), waits at most ten
// seconds for another user's lock, and carries the program's name. On
// failure nothing stays open. Throws Error naming the server.
QSqlDatabase openServerConnection(const QString &conninfo, const QStringList &schemas, const QString &connectionName);

// The libpq handle of an open server connection, else nullptr.
PGconn *serverHandle(const QSqlDatabase &db);

// The server for people: "数据库服务器 db.firm.lan:5432 上的数据库 tarvex".
QString serverLabel(const QSqlDatabase &db);
QString serverLabel(const QString &conninfo);

// The server's host, port, database, user and version (system information).
struct ServerFacts {
    QString host;
    QString port;
    QString database;
    QString user;
    QString version;
};
ServerFacts serverFacts(const QSqlDatabase &db);

// True once the connection to the server is lost: nothing more runs on it
// until it is opened again.
bool serverConnectionLost(const QSqlDatabase &db);

// "与数据库服务器 … 的连接已断开, 操作没有完成 (下一次操作时重新连接): reason"
QString connectionLostText(const QSqlDatabase &db, const QString &reason = QString());

// Opens a lost server connection again with its settings (same name, same
// schemas). Throws Error naming the server.
void reconnectServer(QSqlDatabase &db);

// True inside a transaction (or a failed one not yet ended).
bool serverInTransaction(const QSqlDatabase &db);

// A failed statement's reason in the program's words, naming the server
// where the server itself failed (lost connection, full disk); and its
// SQLSTATE.
QString serverErrorText(const QSqlError &error, const QSqlDatabase &db);
QString serverSqlState(const QSqlError &error);

} // namespace tarvex
