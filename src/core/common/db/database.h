#pragma once

#include "core/common/db/engine.h"
#include "core/common/db/schemaversion.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;

namespace tarvex {

// The working database: the four working tables, the four price tables, the
// stock lengths and the three priced views, either in the file newdb.sqlite
// or, for a firm's workstations, on a PostgreSQL server (the price tables
// shared, the working tables in the workstation's own working area). One
// shared connection serves the working data for the whole run.
class Database {
public:
    static constexpr const char *kSharedConnection = "newdb";

    // File name of the working database inside the data folder.
    static QString fileName() { return QStringLiteral("newdb.sqlite"); }

    // Opens the working database at path as connection name (creating the
    // file and its schema when missing, upgrading an older one) and registers
    // FIRST on it. Throws Error.
    static QSqlDatabase open(const QString &path, const QString &connectionName = QLatin1String(kSharedConnection));

    // How a file keeps its transactions: WAL lets a reader see one committed
    // state while another program writes (the working database); the rollback
    // journal also works on network folders (the library).
    enum class Journal { Wal, Rollback };

    // Opens any of the program's SQLite files as connection name and brings it
    // to the plan's schema version, with a busy timeout so that a writer waits
    // for another program instead of failing. On failure nothing stays open.
    // Throws Error.
    static QSqlDatabase openFile(
        const QString &path, const QString &connectionName, const SchemaPlan &plan, Journal journal = Journal::Wal);

    // Opens the working data the settings name as the shared connection: the
    // file of the data folder, or the seat's working area on the server.
    // Throws Error.
    static QSqlDatabase openWorking(const DatabaseSettings &settings, const QString &dataFolder);

    // Opens the seat's working area on the server conninfo names: the shared
    // schema must be at the program's version; a missing seat is created, an
    // older one upgraded. Throws Error naming the server.
    static QSqlDatabase openServer(
        const QString &conninfo, const QString &seat, const QString &connectionName = QLatin1String(kSharedConnection));

    // Another connection to the working data the shared connection was
    // opened on (for a worker thread). Throws Error.
    static QSqlDatabase openAnother(const QString &connectionName);

    // The settings the shared connection was opened with by openWorking(),
    // else those cs.ini holds now (a command that opens no working data).
    static DatabaseSettings settingsInUse();

    // The shared connection (must have been opened). A server connection
    // that was lost is opened again first, unless a transaction is still in
    // progress on it; when that fails it stays closed and the next statement
    // says so.
    static QSqlDatabase shared();
    static bool isSharedOpen();
    static void closeShared();
    static void close(const QString &connectionName);

    // Registers the FIRST(x) aggregate: the first value of the group in row
    // order, Null included. Done by open(); exposed for other connections.
    static void registerFunctions(QSqlDatabase &db);
};

// Where the shared connection's data lives, for messages and system
// information: the file's path, or the server, database and seat.
QString workingDataLabel();

// The sqlite3 handle of an open connection, for what Qt SQL cannot do
// (scripts, bulk paths). Throws Error when the connection is not open.
sqlite3 *sqliteHandle(const QSqlDatabase &db);

// Writes a consistent copy of the whole database to path, a new file, through
// a temporary file renamed into place: the copy is whole or not there. Throws
// Error naming the file.
void copyDatabase(QSqlDatabase db, const QString &path);

// Runs a statement with positional values bound in order; throws Error with
// the database's reason on failure.
QSqlQuery sqlExec(const QString &sql, const QVariantList &values = {}, QSqlDatabase db = Database::shared());

// The first field of the first row, or an invalid QVariant when there is
// none or it is Null.
QVariant sqlScalar(const QString &sql, const QVariantList &values = {}, QSqlDatabase db = Database::shared());

// A failure of a statement in the user's words: the file or the server
// named, and what went wrong there.
QString databaseFailureText(const QSqlError &error, const QSqlDatabase &db);

// A mark of the database's state, read inside a transaction: two equal
// marks mean nothing was written in between, by this connection or another.
// Empty where the engine gives no such mark (then nothing can be known).
QByteArray databaseChangeMark(QSqlDatabase db = Database::shared());

// Runs fn inside one transaction; rolls back and rethrows when fn throws.
template <typename Fn> void inTransaction(QSqlDatabase db, Fn fn);

// As inTransaction, but the write lock is taken at the start (BEGIN
// IMMEDIATE), waiting up to the busy timeout while another program writes. A
// transaction that reads before it writes must: started as a reader, its
// first write fails at once when another program wrote meanwhile.
template <typename Fn> void inWriteTransaction(QSqlDatabase db, Fn fn);

// Holds one read transaction for as long as it lives: every statement on the
// connection sees the same committed state, so a load by another program in
// the meantime cannot mix two projects into one output, nor a price import on
// another workstation old and new prices (on a server: REPEATABLE READ).
// Inside a transaction that is already open it does nothing. Ends with
// COMMIT, so a write made meanwhile on the same connection is kept.
class ReadTransaction {
public:
    explicit ReadTransaction(QSqlDatabase db = Database::shared());
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
    QSqlDatabase m_db;
    bool m_began = false;
};

void beginTransaction(QSqlDatabase &db);
void beginWriteTransaction(QSqlDatabase &db);
void commitTransaction(QSqlDatabase &db);

namespace detail {

// Counts the transactions in progress: a server connection lost inside one
// is opened again only once it has ended, or the rest of its statements
// would run outside it, each written on its own.
class TransactionInProgress {
public:
    TransactionInProgress();
    ~TransactionInProgress();
    TransactionInProgress(const TransactionInProgress &) = delete;
    TransactionInProgress &operator=(const TransactionInProgress &) = delete;
    static bool any();
};

template <typename Fn> void transacted(QSqlDatabase &db, void (*begin)(QSqlDatabase &), Fn &fn)
{
    const TransactionInProgress inProgress;
    begin(db);
    try {
        fn();
    } catch (...) {
        db.rollback();
        throw;
    }
    commitTransaction(db);
}

} // namespace detail

template <typename Fn> void inTransaction(QSqlDatabase db, Fn fn)
{
    detail::transacted(db, beginTransaction, fn);
}

template <typename Fn> void inWriteTransaction(QSqlDatabase db, Fn fn)
{
    detail::transacted(db, beginWriteTransaction, fn);
}

} // namespace tarvex
