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

QString saveSettings(const QString &iniFile, const PathSettings &paths, Engine engine, const QString &conninfo)
{
    if (const QString problem = engineChoiceProblem(engine, conninfo); !problem.isEmpty())
        throw Error(problem);
    QList<IniSection> sections {pathSettingsSection(paths)};
    DatabaseSettings settings = readDatabaseSettings(iniFile);
    if (settings.engine != engine || settings.conninfo != conninfo.trimmed()) {
        settings.engine = engine;
        settings.conninfo = conninfo;
        sections.append(databaseSettingsSection(settings));
    }
    QString reason;
    if (!WriteIni(iniFile, sections, &reason))
        throw Error(reason);
    return settingsSavedText();
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
