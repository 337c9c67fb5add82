#include "core/common/db/engine.h"

#include "core/common/error.h"
#include "core/common/io/ini.h"

#include <QRegularExpression>

#include <libpq-fe.h>

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("db");

// The schema holding what the firm shares; no seat may take its name.
const char *const kReservedSchemas[] = {"tarvex", "public", "information_schema"};

} // namespace

Engine engineOf(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? Engine::Server : Engine::Sqlite;
}

QString DatabaseSettings::seatName() const
{
    const QString written = seat.trimmed();
    return written.isEmpty() ? defaultSeatName() : written;
}

QString engineKey(Engine engine)
{
    return engine == Engine::Server ? QStringLiteral("postgresql") : QStringLiteral("sqlite");
}

QString engineName(Engine engine)
{
    return engine == Engine::Server ? QStringLiteral("PostgreSQL 服务器") : QStringLiteral("SQLite 文件");
}

DatabaseSettings readDatabaseSettings(const QString &iniFile)
{
    DatabaseSettings settings;
    const QString engine = ReadIni(iniFile, kSection, QStringLiteral("engine")).toLower();
    settings.engine = engine == QLatin1String("postgresql") ? Engine::Server : Engine::Sqlite;
    settings.conninfo = ReadIni(iniFile, kSection, QStringLiteral("conninfo"));
    settings.seat = ReadIni(iniFile, kSection, QStringLiteral("seat"));
    settings.libraryOnServer = ReadIni(iniFile, kSection, QStringLiteral("library")).toLower() != QLatin1String("file");
    return settings;
}

IniSection databaseSettingsSection(const DatabaseSettings &settings)
{
    const QString conninfo = settings.conninfo.trimmed();
    if (const QString problem = conninfoProblem(conninfo); !problem.isEmpty() && !conninfo.isEmpty())
        throw Error(problem);
    const QString seat = settings.seat.trimmed();
    if (const QString problem = seatNameProblem(seat); !problem.isEmpty() && !seat.isEmpty())
        throw Error(problem);
    return {kSection,
        {{QStringLiteral("engine"), engineKey(settings.engine)}, {QStringLiteral("conninfo"), conninfo},
            {QStringLiteral("seat"), seat},
            {QStringLiteral("library"), settings.libraryOnServer ? QStringLiteral("server") : QStringLiteral("file")}}};
}

void writeDatabaseSettings(const QString &iniFile, const DatabaseSettings &settings)
{
    QString reason;
    if (!WriteIni(iniFile, {databaseSettingsSection(settings)}, &reason))
        throw Error(reason);
}

QString defaultSeatName()
{
    QString login = qEnvironmentVariable("USER");
    if (login.isEmpty())
        login = qEnvironmentVariable("LOGNAME");
    if (login.isEmpty())
        login = qEnvironmentVariable("USERNAME");
    QString seat;
    for (QChar c : login.toLower()) {
        const bool plain
            = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        seat += plain ? c : QLatin1Char('_');
    }
    if (seat.isEmpty() || !seat.at(0).isLetter())
        seat.prepend(QStringLiteral("seat_"));
    if (!seatNameProblem(seat).isEmpty())
        seat.prepend(QStringLiteral("seat_"));
    return seat.left(63);
}

QString seatNameProblem(const QString &seat)
{
    static const QRegularExpression plain(QStringLiteral("^[a-z][a-z0-9_]{0,62}$"));
    if (!plain.match(seat).hasMatch())
        return QStringLiteral("工作区名“%1”无效: 只能用小写英文字母、数字和下划线, 以字母开头, 最多63个字符").arg(seat);
    for (const char *reserved : kReservedSchemas)
        if (seat == QLatin1String(reserved))
            return QStringLiteral("工作区名“%1”是服务器保留的名称, 请换一个").arg(seat);
    if (seat.startsWith(QLatin1String("pg_")))
        return QStringLiteral("工作区名“%1”是服务器保留的名称, 请换一个").arg(seat);
    return QString();
}

QString conninfoProblem(const QString &conninfo)
{
    if (conninfo.trimmed().isEmpty())
        return QStringLiteral("没有填写数据库服务器的连接字符串 (cs.ini 中 db 节的 conninfo)");
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(conninfo.toUtf8().constData(), &message);
    if (!options) {
        const QString reason = message ? QString::fromUtf8(message).trimmed() : QStringLiteral("内存不足");
        PQfreemem(message);
        return QStringLiteral("连接字符串无法识别: ") + reason;
    }
    bool password = false;
    for (PQconninfoOption *o = options; o->keyword; ++o)
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val)
            password = true;
    PQconninfoFree(options);
    if (password)
        return QStringLiteral("连接字符串中不能写密码: 请把密码写在 ~/.pgpass (或 PGPASSFILE 指定的文件) 中");
    return QString();
}

} // namespace tarvex
