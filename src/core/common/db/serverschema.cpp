#include "core/common/db/serverschema.h"

#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/common/db/serverconnection.h"
#include "core/common/error.h"

namespace tarvex {

namespace {

// Keys of the advisory locks that let one program at a time build the
// shared schema or a seat (two programs starting at once build them once).
constexpr qint64 kSharedLock = 0x7461727665780001;
constexpr qint64 kSeatLock = 0x7461727665780002;

const QString kVersions = QStringLiteral("schemaVersion");

[[noreturn]] void refuseNewer(QSqlDatabase &db, const QString &what, int found, int known)
{
    throw Error(QStringLiteral("%1中%2的结构版本为 %3, 本程序只能使用版本 %4 及以前的结构; "
                               "它由较新的程序建立, 请使用较新的程序")
                    .arg(serverLabel(db), what)
                    .arg(found)
                    .arg(known));
}

void checkPlan(const SchemaPlan &plan)
{
    for (int i = 0; i < plan.steps.size(); ++i)
        if (plan.steps[i].version != i + 1)
            throw Error(
                QStringLiteral("数据库结构步骤的版本号不连续: 第%1步为版本%2").arg(i + 1).arg(plan.steps[i].version));
}

bool relationExists(QSqlDatabase &db, const QString &qualifiedName)
{
    return !sqlScalar(QStringLiteral("SELECT to_regclass(?)::text"), {qualifiedName}, db).isNull();
}

int versionIn(QSqlDatabase &db, const QString &schema, const QString &part)
{
    if (!relationExists(db, schema + QLatin1Char('.') + kVersions))
        return 0;
    return sqlScalar(QStringLiteral("SELECT version FROM %1.%2 WHERE part = ?").arg(schema, kVersions), {part}, db)
        .toInt();
}

void storeVersion(QSqlDatabase &db, const QString &schema, const QString &part, int version)
{
    sqlExec(QStringLiteral("INSERT INTO %1.%2 (part, version) VALUES (?, ?) "
                           "ON CONFLICT (part) DO UPDATE SET version = EXCLUDED.version")
                .arg(schema, kVersions),
        {part, version}, db);
}

// Runs fn in one transaction; a failure undoes all of it and names the server.
template <typename Fn> void serverTransaction(QSqlDatabase &db, const QString &what, Fn fn)
{
    try {
        inTransaction(db, fn);
    } catch (const Error &e) {
        if (e.message().contains(serverLabel(db)))
            throw;
        throw Error(QStringLiteral("%1: %2失败, 没有做任何修改: %3").arg(serverLabel(db), what, e.message()));
    }
}

// A role of the program; another program creating it at the same moment is
// no failure.
void createRole(QSqlDatabase &db, const QString &role, const QString &memberOf)
{
    if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname = ?"), {role}, db).toInt() > 0)
        return;
    sqlExec(QStringLiteral("SAVEPOINT role"), {}, db);
    try {
        sqlExec(QStringLiteral("CREATE ROLE %1 NOLOGIN%2")
                    .arg(role, memberOf.isEmpty() ? QString() : QStringLiteral(" IN ROLE ") + memberOf),
            {}, db);
    } catch (const Error &) {
        sqlExec(QStringLiteral("ROLLBACK TO SAVEPOINT role"), {}, db);
        if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname = ?"), {role}, db).toInt() == 0)
            throw;
    }
    sqlExec(QStringLiteral("RELEASE SAVEPOINT role"), {}, db);
}

// The reader reads every shared table and may make a seat (a schema) of its
// own, and write the tables every seat writes; the editor may also change
// every shared table but the versions.
void grantSharedAccess(QSqlDatabase &db, const QList<SchemaPlan> &plans)
{
    const QString reader = readerRoleName();
    const QString editor = editorRoleName();
    const QString shared = sharedSchemaName();
    createRole(db, reader, QString());
    createRole(db, editor, reader);
    sqlExec(QStringLiteral("DO $$ BEGIN EXECUTE format('GRANT CONNECT, TEMPORARY, CREATE ON DATABASE %I TO %2', "
                           "current_database()); END $$")
                .arg(reader),
        {}, db);
    for (const QString &statement : {
             QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(shared, reader),
             QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %2").arg(shared, reader),
             QStringLiteral("GRANT INSERT, UPDATE, DELETE, TRUNCATE ON ALL TABLES IN SCHEMA %1 TO %2")
                 .arg(shared, editor),
             QStringLiteral("REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON %1.%2 FROM %3").arg(shared, kVersions, editor),
             QStringLiteral("GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA %1 TO %2").arg(shared, editor),
         })
        sqlExec(statement, {}, db);
    for (const SchemaPlan &plan : plans)
        for (const QString &table : plan.writtenBySeats)
            sqlExec(QStringLiteral("GRANT INSERT, UPDATE, DELETE ON %1.%2 TO %3").arg(shared, table, reader), {}, db);
}

// The steps of a plan after version `found`, in the shared schema or a seat.
void runSteps(QSqlDatabase &db, const SchemaPlan &plan, int found, bool seat)
{
    for (const SchemaStep &step : plan.steps) {
        if (step.version <= found)
            continue;
        for (const QString &statement : seat ? step.seat : step.shared)
            sqlExec(statement, {}, db);
        if (seat && step.seatRun)
            step.seatRun(db);
    }
}

} // namespace

QString sharedSchemaName()
{
    return QStringLiteral("tarvex");
}

QString readerRoleName()
{
    return QStringLiteral("tarvex_reader");
}

QString editorRoleName()
{
    return QStringLiteral("tarvex_editor");
}

int sharedSchemaVersion(QSqlDatabase &db, const QString &part)
{
    return versionIn(db, sharedSchemaName(), part);
}

ServerInitReport initServerSchema(QSqlDatabase &db, const QList<SchemaPlan> &plans)
{
    for (const SchemaPlan &plan : plans)
        checkPlan(plan);
    const QString shared = sharedSchemaName();
    ServerInitReport report;
    serverTransaction(db, QStringLiteral("建立或升级共享数据"), [&] {
        sqlExec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSharedLock), {}, db);
        sqlExec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS ") + shared, {}, db);
        sqlExec(QStringLiteral("SET LOCAL search_path TO %1, public").arg(shared), {}, db);
        sqlExec(QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext SCHEMA ") + shared, {}, db);
        sqlExec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (part text PRIMARY KEY, version integer NOT NULL)")
                    .arg(shared, kVersions),
            {}, db);
        for (const SchemaPlan &plan : plans) {
            const int found = sharedSchemaVersion(db, plan.part);
            const int target = plan.currentVersion();
            if (found > target)
                refuseNewer(db, QStringLiteral("共享数据 (%1)").arg(plan.part), found, target);
            runSteps(db, plan, found, false);
            storeVersion(db, shared, plan.part, target);
            report.parts.append({plan.part, found, target});
        }
        grantSharedAccess(db, plans);
    });
    return report;
}

void checkSharedSchema(QSqlDatabase &db, const SchemaPlan &plan)
{
    const int found = sharedSchemaVersion(db, plan.part);
    const int target = plan.currentVersion();
    if (found == 0)
        throw Error(QStringLiteral("%1中还没有 Tarvex 的共享数据 (模式 %2): 请先由管理员运行 tarvex-cli server init")
                        .arg(serverLabel(db), sharedSchemaName()));
    if (found > target)
        refuseNewer(db, QStringLiteral("共享数据"), found, target);
    if (found < target)
        throw Error(QStringLiteral("%1中共享数据的结构版本为 %2, 本程序需要版本 %3: "
                                   "请由管理员运行 tarvex-cli server init 升级")
                        .arg(serverLabel(db))
                        .arg(found)
                        .arg(target));
}

bool seatExists(QSqlDatabase &db, const QString &seat)
{
    return sqlScalar(QStringLiteral("SELECT COUNT(*) FROM pg_namespace WHERE nspname = ?"), {seat}, db).toInt() > 0;
}

int seatSchemaVersion(QSqlDatabase &db, const QString &seat)
{
    return versionIn(db, seat, QStringLiteral("working"));
}

bool prepareSeat(QSqlDatabase &db, const QString &seat, const SchemaPlan &plan)
{
    if (const QString problem = seatNameProblem(seat); !problem.isEmpty())
        throw Error(problem);
    checkPlan(plan);
    const int target = plan.currentVersion();
    if (seatExists(db, seat)) {
        const int found = seatSchemaVersion(db, seat);
        if (found == target)
            return false;
        if (found > target)
            refuseNewer(db, QStringLiteral("工作区 %1").arg(seat), found, target);
    }
    bool created = false;
    serverTransaction(db, QStringLiteral("建立或升级工作区 %1").arg(seat), [&] {
        sqlExec(QStringLiteral("SELECT pg_advisory_xact_lock(%1 + hashtext(?))").arg(kSeatLock), {seat}, db);
        created = !seatExists(db, seat);
        if (created) {
            sqlExec(QStringLiteral("CREATE SCHEMA ") + seat, {}, db);
            sqlExec(QStringLiteral("CREATE TABLE %1.%2 (part text PRIMARY KEY, version integer NOT NULL)")
                        .arg(seat, kVersions),
                {}, db);
        }
        // The new tables and views go into the seat, their names resolved there first.
        sqlExec(QStringLiteral("SET LOCAL search_path TO %1, %2, public").arg(seat, sharedSchemaName()), {}, db);
        const int found = seatSchemaVersion(db, seat);
        if (found > target)
            refuseNewer(db, QStringLiteral("工作区 %1").arg(seat), found, target);
        runSteps(db, plan, found, true);
        storeVersion(db, seat, QStringLiteral("working"), target);
    });
    return created;
}

} // namespace tarvex
