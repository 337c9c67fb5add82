#include "core/settings/enginesettings.h"

#include "core/common/db/database.h"
#include "core/common/db/serverconnection.h"
#include "core/common/error.h"

#include <QSqlDatabase>

namespace tarvex {

QString engineChoiceProblem(Engine engine, const QString &conninfo)
{
    return engine == Engine::Server ? conninfoProblem(conninfo) : QString();
}

void saveEngineChoice(const QString &iniFile, Engine engine, const QString &conninfo)
{
    if (const QString problem = engineChoiceProblem(engine, conninfo); !problem.isEmpty())
        throw Error(problem);
    DatabaseSettings settings = readDatabaseSettings(iniFile);
    if (settings.engine == engine && settings.conninfo == conninfo.trimmed())
        return;
    settings.engine = engine;
    settings.conninfo = conninfo;
    writeDatabaseSettings(iniFile, settings);
}

QString testServerConnection(const QString &conninfo)
{
    if (const QString problem = conninfoProblem(conninfo); !problem.isEmpty())
        throw Error(problem);
    const QString name = QStringLiteral("tarvex-connection-test");
    QString text;
    {
        const QSqlDatabase db = openServerConnection(conninfo, {QStringLiteral("public")}, name);
        const ServerFacts facts = serverFacts(db);
        text = QStringLiteral("连接成功: %1 (PostgreSQL %2)").arg(serverLabel(db), facts.version);
    }
    Database::close(name);
    return text;
}

} // namespace tarvex
