#include "core/common/db/database.h"

#include "core/common/db/dberror.h"
#include "core/common/db/schema.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
#include "core/common/db/sqlitefailure.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include <optional>

#include <sqlite3.h>

namespace tarvex {

namespace {

// How long a statement waits for another program's write to finish.
constexpr int kBusyTimeoutMs = 10000;

// A server that did not answer is asked again after this long at the
// earliest, so that a window repainting does not wait for it each time.
constexpr qint64 kReconnectPauseMs = 3000;

// What the shared connection was opened on, for openAnother().
struct WorkingSource {
    Engine engine = Engine::Sqlite;
    QString path; // the file
    QString conninfo; // the server
    QString seat;
    std::optional<DatabaseSettings> settings; // as openWorking() had them
};

// The server the shared connection could not be opened on, tried again by
// the next action (the server may have been down when the program started).
struct UnreachableServer {
    QString conninfo;
    QString seat;
    QString failure; // why the last attempt failed
};
std::optional<UnreachableServer> &serverToReach()
{
    static std::optional<UnreachableServer> server;
    return server;
}

WorkingSource &workingSource()
{
    static WorkingSource source;
    return source;
}

struct FirstState {
    bool seen;
    sqlite3_value *value;
};

void firstStep(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *state = static_cast<FirstState *>(sqlite3_aggregate_context(ctx, sizeof(FirstState)));
    if (state && !state->seen) {
        state->seen = true;
        state->value = sqlite3_value_dup(argv[0]);
    }
}

void firstFinal(sqlite3_context *ctx)
{
    auto *state = static_cast<FirstState *>(sqlite3_aggregate_context(ctx, 0));
    if (state && state->seen && state->value) {
        sqlite3_result_value(ctx, state->value);
        sqlite3_value_free(state->value);
    } else {
        sqlite3_result_null(ctx);
    }
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

QString describe(const QSqlError &error, const QSqlDatabase &db)
{
    return sqliteFailureText(error, db);
}

[[noreturn]] void throwFailure(const QSqlError &error, const QSqlDatabase &db)
{
    throw DatabaseError(databaseFailureText(error, db), onServer(db) ? serverSqlState(error) : QString());
}

// Throws Error unless db is open: a lost or unreachable server is named.
void requireOpen(const QSqlDatabase &db)
{
    if (db.isOpen())
        return;
    if (db.isValid() && onServer(db))
        throw DatabaseError(connectionLostText(db), QString());
    if (!db.isValid() && serverToReach())
        throw Error(serverToReach()->failure);
    throw Error(QStringLiteral("数据库未打开"));
}

} // namespace

void Database::registerFunctions(QSqlDatabase &db)
{
    sqlite3 *handle = handleOf(db);
    if (!handle)
        throw Error(QStringLiteral("无法访问数据库连接"));
    sqlite3_create_function_v2(handle, "FIRST", 1, SQLITE_UTF8, nullptr, nullptr, firstStep, firstFinal, nullptr);
}

QSqlDatabase Database::open(const QString &path, const QString &connectionName)
{
    QSqlDatabase db = openFile(path, connectionName, workingSchemaPlan());
    try {
        registerFunctions(db);
    } catch (const Error &) {
        db = QSqlDatabase();
        close(connectionName);
        throw;
    }
    if (connectionName == QLatin1String(kSharedConnection)) {
        workingSource() = {Engine::Sqlite, path, QString(), QString(), std::nullopt};
        serverToReach().reset();
    }
    return db;
}

QSqlDatabase Database::openWorking(const DatabaseSettings &settings, const QString &dataFolder)
{
    QSqlDatabase db = settings.engine == Engine::Server ? openServer(settings.conninfo, settings.seatName())
                                                        : open(QDir(dataFolder).filePath(fileName()));
    workingSource().settings = settings;
    return db;
}

DatabaseSettings Database::settingsInUse()
{
    if (workingSource().settings)
        return *workingSource().settings;
    return readDatabaseSettings(iniPath());
}

QSqlDatabase Database::openServer(const QString &conninfo, const QString &seat, const QString &connectionName)
{
    if (const QString problem = conninfoProblem(conninfo); !problem.isEmpty())
        throw Error(problem);
    if (const QString problem = seatNameProblem(seat); !problem.isEmpty())
        throw Error(problem);
    const bool shared = connectionName == QLatin1String(kSharedConnection);
    QSqlDatabase db;
    try {
        db = openServerConnection(conninfo, {seat, sharedSchemaName(), QStringLiteral("public")}, connectionName);
        const SchemaPlan plan = workingSchemaPlan();
        checkSharedSchema(db, plan);
        prepareSeat(db, seat, plan);
    } catch (const Error &e) {
        db = QSqlDatabase();
        close(connectionName);
        if (shared)
            serverToReach() = UnreachableServer {conninfo, seat, e.message()};
        throw;
    }
    if (shared) {
        workingSource() = {Engine::Server, QString(), conninfo, seat, std::nullopt};
        serverToReach().reset();
    }
    return db;
}

QSqlDatabase Database::openAnother(const QString &connectionName)
{
    const WorkingSource source = workingSource();
    if (source.engine == Engine::Server)
        return openServer(source.conninfo, source.seat, connectionName);
    if (source.path.isEmpty())
        throw Error(QStringLiteral("数据库未打开"));
    return open(source.path, connectionName);
}

QSqlDatabase Database::openFile(
    const QString &path, const QString &connectionName, const SchemaPlan &plan, Journal journal)
{
    if (QSqlDatabase::contains(connectionName))
        close(connectionName);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw Error(QStringLiteral("数据文件夹不存在: ") + QDir::toNativeSeparators(info.absolutePath()));
    // Before SQLite starts: it would count every block it allocates under a
    // process-wide lock, for statistics the program never asks for (a
    // per-window quotation makes millions).
    static const int noMemoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    Q_UNUSED(noMemoryStatistics);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    try {
        if (!db.open()) {
            const QString reason = describe(db.lastError(), db);
            if (reason.contains(QDir::toNativeSeparators(path)))
                throw Error(reason);
            throw Error(
                QStringLiteral("无法打开数据库 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason);
        }
        sqlExec(QStringLiteral("PRAGMA foreign_keys=OFF"), {}, db);
        if (journal == Journal::Wal)
            sqlExec(QStringLiteral("PRAGMA journal_mode=WAL"), {}, db);
        upgradeSchema(db, plan);
    } catch (const Error &) {
        db = QSqlDatabase();
        close(connectionName);
        throw;
    }
    return db;
}

namespace detail {

namespace {
thread_local int transactionsInProgress = 0;
}

TransactionInProgress::TransactionInProgress()
{
    ++transactionsInProgress;
}

TransactionInProgress::~TransactionInProgress()
{
    --transactionsInProgress;
}

bool TransactionInProgress::any()
{
    return transactionsInProgress > 0;
}

} // namespace detail

QSqlDatabase Database::shared()
{
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(kSharedConnection), false);
    const bool lost = serverConnectionLost(db);
    const bool neverOpened = !db.isValid() && serverToReach();
    // The time of the last attempt that failed.
    static qint64 failedAt = 0;
    if ((lost || neverOpened) && !detail::TransactionInProgress::any()
        && QDateTime::currentMSecsSinceEpoch() - failedAt >= kReconnectPauseMs) {
        try {
            if (lost)
                reconnectServer(db);
            else
                db = openServer(serverToReach()->conninfo, serverToReach()->seat);
            failedAt = 0;
        } catch (const Error &) {
            // Stays closed: the next statement names the server.
            failedAt = QDateTime::currentMSecsSinceEpoch();
        }
    }
    return db;
}

bool Database::isSharedOpen()
{
    return QSqlDatabase::contains(QLatin1String(kSharedConnection)) && shared().isOpen();
}

void Database::closeShared()
{
    serverToReach().reset();
    close(QLatin1String(kSharedConnection));
}

QString workingDataLabel()
{
    const WorkingSource &source = workingSource();
    if (source.engine == Engine::Server)
        return serverLabel(source.conninfo) + QStringLiteral(", 工作区 ") + source.seat;
    return QDir::toNativeSeparators(source.path);
}

void Database::close(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    sqlite3 *handle = db.isOpen() ? handleOf(db) : nullptr;
    if (!handle)
        throw Error(QStringLiteral("数据库未打开"));
    return handle;
}

QSqlQuery sqlExec(const QString &sql, const QVariantList &values, QSqlDatabase db)
{
    requireOpen(db);
    QSqlQuery query(db);
    // On a server a forward-only query streams its rows and is cut short by
    // the next statement; the program reads other queries while it walks one.
    query.setForwardOnly(!onServer(db));
    bool ok;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant &v : values)
                query.addBindValue(v);
            ok = query.exec();
        }
    }
    if (!ok)
        throwFailure(query.lastError(), db);
    return query;
}

void copyDatabase(QSqlDatabase db, const QString &path)
{
    writeWholeFile(path, [&](const QString &part) { sqlExec(QStringLiteral("VACUUM INTO ?"), {part}, db); });
}

QVariant sqlScalar(const QString &sql, const QVariantList &values, QSqlDatabase db)
{
    QSqlQuery query = sqlExec(sql, values, db);
    // Null as the invalid value on every engine (a server's Null keeps its
    // column's type, and a null number would read as "0").
    if (query.next() && !query.value(0).isNull())
        return query.value(0);
    return QVariant();
}

ReadTransaction::ReadTransaction(QSqlDatabase db)
    : m_db(db)
{
    if (onServer(db)) {
        if (!db.isOpen() || serverInTransaction(db))
            return;
        // The snapshot is taken at the first statement after BEGIN.
        sqlExec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ"), {}, db);
        m_began = true;
        sqlExec(QStringLiteral("SELECT 1"), {}, db);
        return;
    }
    sqlite3 *handle = db.isOpen() ? handleOf(db) : nullptr;
    if (!handle || !sqlite3_get_autocommit(handle))
        return;
    sqlExec(QStringLiteral("BEGIN"), {}, db);
    // A deferred BEGIN takes its snapshot at the first read: take it now.
    sqlExec(QStringLiteral("SELECT 1 FROM sqlite_master LIMIT 1"), {}, db);
    m_began = true;
}

ReadTransaction::~ReadTransaction()
{
    if (!m_began)
        return;
    if (onServer(m_db)) {
        if (!serverInTransaction(m_db))
            return;
        QSqlQuery end(m_db);
        if (!end.exec(QStringLiteral("COMMIT")))
            end.exec(QStringLiteral("ROLLBACK"));
        return;
    }
    sqlite3 *handle = handleOf(m_db);
    if (handle && !sqlite3_get_autocommit(handle)
        && sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

QString databaseFailureText(const QSqlError &error, const QSqlDatabase &db)
{
    return onServer(db) ? serverErrorText(error, db) : describe(error, db);
}

QByteArray databaseChangeMark(QSqlDatabase db)
{
    if (db.driverName() != QLatin1String("QSQLITE"))
        return QByteArray();
    // A read first: the transaction then holds its view of the file, which
    // data_version counts the other connections' commits against.
    sqlScalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), {}, db);
    const qint64 others = sqlScalar(QStringLiteral("PRAGMA data_version"), {}, db).toLongLong();
    return QByteArray::number(others) + ':' + QByteArray::number(sqlite3_total_changes64(sqliteHandle(db)));
}

void beginTransaction(QSqlDatabase &db)
{
    requireOpen(db);
    // As on a file: a transaction does not open inside another.
    if (onServer(db) && serverInTransaction(db))
        throw Error(QStringLiteral("cannot start a transaction within a transaction"));
    if (!db.transaction())
        throwFailure(db.lastError(), db);
}

void beginWriteTransaction(QSqlDatabase &db)
{
    // A server's writers take their locks as they go (numbered tables
    // before they read the highest number): a plain transaction serves.
    if (onServer(db)) {
        beginTransaction(db);
        return;
    }
    sqlExec(QStringLiteral("BEGIN IMMEDIATE"), {}, db);
}

void commitTransaction(QSqlDatabase &db)
{
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        throwFailure(error, db);
    }
}

} // namespace tarvex
