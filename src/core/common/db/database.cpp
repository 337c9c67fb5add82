#include "core/common/db/database.h"

#include "core/common/db/schema.h"
#include "core/common/db/sqlitefailure.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace tarvex {

namespace {

// How long a statement waits for another program's write to finish.
constexpr int kBusyTimeoutMs = 10000;

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
    return db;
}

QSqlDatabase Database::openFile(
    const QString &path, const QString &connectionName, const SchemaPlan &plan, Journal journal)
{
    if (QSqlDatabase::contains(connectionName))
        close(connectionName);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw Error(QStringLiteral("数据文件夹不存在: ") + QDir::toNativeSeparators(info.absolutePath()));
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

QSqlDatabase Database::shared()
{
    return QSqlDatabase::database(QLatin1String(kSharedConnection), false);
}

bool Database::isSharedOpen()
{
    return QSqlDatabase::contains(QLatin1String(kSharedConnection)) && shared().isOpen();
}

void Database::closeShared()
{
    close(QLatin1String(kSharedConnection));
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
    if (!db.isOpen())
        throw Error(QStringLiteral("数据库未打开"));
    QSqlQuery query(db);
    query.setForwardOnly(true);
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
        throw Error(describe(query.lastError(), db));
    return query;
}

void copyDatabase(QSqlDatabase db, const QString &path)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    try {
        sqlExec(QStringLiteral("VACUUM INTO ?"), {part}, db);
    } catch (const Error &e) {
        QFile::remove(part);
        throw Error(cannotWriteText(path, e.message()));
    }
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw Error(cannotWriteText(path, QStringLiteral("文件已存在或不能改名")));
    }
}

QVariant sqlScalar(const QString &sql, const QVariantList &values, QSqlDatabase db)
{
    QSqlQuery query = sqlExec(sql, values, db);
    if (query.next())
        return query.value(0);
    return QVariant();
}

ReadTransaction::ReadTransaction(QSqlDatabase db)
    : m_db(db)
{
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
    sqlite3 *handle = handleOf(m_db);
    if (handle && !sqlite3_get_autocommit(handle)
        && sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
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
    if (!db.transaction())
        throw Error(describe(db.lastError(), db));
}

void beginWriteTransaction(QSqlDatabase &db)
{
    sqlExec(QStringLiteral("BEGIN IMMEDIATE"), {}, db);
}

void commitTransaction(QSqlDatabase &db)
{
    if (!db.commit()) {
        const QString reason = describe(db.lastError(), db);
        db.rollback();
        throw Error(reason);
    }
}

} // namespace tarvex
