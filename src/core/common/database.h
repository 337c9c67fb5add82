#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tarvex {

// The working database newdb.sqlite: the four working tables, the four price
// tables and the three priced views. One shared connection serves the working
// data for the whole run.
class Database {
public:
    static constexpr const char *kSharedConnection = "newdb";
    static constexpr int kSchemaVersion = 1;

    // File name of the working database inside the data folder.
    static QString fileName() { return QStringLiteral("newdb.sqlite"); }

    // Opens the database at path as connection name (creating the file and
    // its schema when missing) and registers FIRST on it. Throws Error.
    static QSqlDatabase open(const QString &path, const QString &connectionName = QLatin1String(kSharedConnection));

    // The shared connection (must have been opened).
    static QSqlDatabase shared();
    static bool isSharedOpen();
    static void closeShared();
    static void close(const QString &connectionName);

    // Registers the FIRST(x) aggregate: the first value of the group in row
    // order, Null included. Done by open(); exposed for other connections.
    static void registerFunctions(QSqlDatabase &db);
};

// Runs a statement with positional values bound in order; throws Error with
// the database's reason on failure.
QSqlQuery sqlExec(const QString &sql, const QVariantList &values = {}, QSqlDatabase db = Database::shared());

// The first field of the first row, or an invalid QVariant when there is none.
QVariant sqlScalar(const QString &sql, const QVariantList &values = {}, QSqlDatabase db = Database::shared());

// Runs fn inside one transaction; rolls back and rethrows when fn throws.
template <typename Fn> void inTransaction(QSqlDatabase db, Fn fn);

void beginTransaction(QSqlDatabase &db);
void commitTransaction(QSqlDatabase &db);

template <typename Fn> void inTransaction(QSqlDatabase db, Fn fn)
{
    beginTransaction(db);
    try {
        fn();
    } catch (...) {
        db.rollback();
        throw;
    }
    commitTransaction(db);
}

} // namespace tarvex
