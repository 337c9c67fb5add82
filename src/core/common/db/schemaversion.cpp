#include "core/common/db/schemaversion.h"

#include "core/common/db/database.h"
#include "core/common/error.h"

#include <QDir>

namespace tarvex {

namespace {

void checkPlan(const SchemaPlan &plan)
{
    for (int i = 0; i < plan.steps.size(); ++i)
        if (plan.steps[i].version != i + 1)
            throw Error(
                QStringLiteral("数据库结构步骤的版本号不连续: 第%1步为版本%2").arg(i + 1).arg(plan.steps[i].version));
}

QString fileOf(const QSqlDatabase &db)
{
    return QDir::toNativeSeparators(db.databaseName());
}

[[noreturn]] void refuseNewer(const QSqlDatabase &db, int found, int known)
{
    throw Error(QStringLiteral("数据库文件 %1 的结构版本为 %2, 本程序只能使用版本 %3 及以前的文件; "
                               "该文件由较新的程序建立, 请使用较新的程序打开")
                    .arg(fileOf(db))
                    .arg(found)
                    .arg(known));
}

void rollback(QSqlDatabase &db)
{
    try {
        sqlExec(QStringLiteral("ROLLBACK"), {}, db);
    } catch (const Error &) {
        // SQLite may have rolled back already (a full disk): nothing is left to undo.
    }
}

} // namespace

int schemaVersion(QSqlDatabase &db)
{
    return sqlScalar(QStringLiteral("PRAGMA user_version"), {}, db).toInt();
}

void upgradeSchema(QSqlDatabase &db, const SchemaPlan &plan)
{
    checkPlan(plan);
    const int target = plan.currentVersion();
    int found = schemaVersion(db);
    if (found == target)
        return;
    if (found > target)
        refuseNewer(db, found, target);

    // IMMEDIATE takes the write lock before the version is read again: a
    // second program opening the same new file waits and then finds it built.
    sqlExec(QStringLiteral("BEGIN IMMEDIATE"), {}, db);
    try {
        found = schemaVersion(db);
        if (found <= target) {
            if (found == 0 && plan.adopt)
                plan.adopt(db);
            for (const SchemaStep &step : plan.steps) {
                if (step.version <= found)
                    continue;
                for (const QString &statement : step.statements)
                    sqlExec(statement, {}, db);
                if (step.run)
                    step.run(db);
            }
            sqlExec(QStringLiteral("PRAGMA user_version=%1").arg(target), {}, db);
            sqlExec(QStringLiteral("COMMIT"), {}, db);
            return;
        }
    } catch (const Error &e) {
        rollback(db);
        if (e.message().contains(fileOf(db)))
            throw;
        throw Error(QStringLiteral("无法更新数据库文件 %1 的结构: ").arg(fileOf(db)) + e.message());
    }
    rollback(db);
    refuseNewer(db, found, target);
}

} // namespace tarvex
