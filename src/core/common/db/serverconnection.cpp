#include "core/common/db/serverconnection.h"

#include "core/common/error.h"

#include <QHash>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <libpq-fe.h>

namespace tarvex {

namespace {

// What reopening a lost connection needs, by connection name.
struct Session {
    QString conninfo;
    QStringList schemas;
};

QMutex sessionsLock;
QHash<QString, Session> &sessions()
{
    static QHash<QString, Session> all;
    return all;
}

QString quotedValue(const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The keywords of a connection string (key=value or URI) with their values.
QList<std::pair<QString, QString>> conninfoEntries(const QString &conninfo, QString *problem = nullptr)
{
    QList<std::pair<QString, QString>> entries;
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(conninfo.toUtf8().constData(), &message);
    if (!options) {
        if (problem)
            *problem = message ? QString::fromUtf8(message).trimmed() : QStringLiteral("内存不足");
        PQfreemem(message);
        return entries;
    }
    for (PQconninfoOption *o = options; o->keyword; ++o)
        if (o->val && *o->val)
            entries.append({QString::fromUtf8(o->keyword), QString::fromUtf8(o->val)});
    PQconninfoFree(options);
    return entries;
}

QString entry(const QList<std::pair<QString, QString>> &entries, const char *key)
{
    for (const auto &[k, v] : entries)
        if (k == QLatin1String(key))
            return v;
    return QString();
}

// The connection string as key='value' pairs (the Qt driver appends it to
// its own), with a bounded wait for an unreachable server.
QString driverConnectOptions(const QString &conninfo)
{
    QString problem;
    const auto entries = conninfoEntries(conninfo, &problem);
    if (!problem.isEmpty())
        throw Error(QStringLiteral("连接字符串无法识别: ") + problem);
    QStringList pairs;
    for (const auto &[key, value] : entries)
        pairs.append(key + QLatin1Char('=') + quotedValue(value));
    if (entry(entries, "connect_timeout").isEmpty())
        pairs.append(QStringLiteral("connect_timeout=10"));
    if (entry(entries, "application_name").isEmpty())
        pairs.append(QStringLiteral("application_name=Tarvex"));
    return pairs.join(QLatin1Char(' '));
}

QString labelOf(const QString &host, const QString &port, const QString &database)
{
    QString where = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (!port.isEmpty())
        where += QLatin1Char(':') + port;
    return QStringLiteral("数据库服务器 %1 上的数据库 %2").arg(where, database);
}

// The driver's text without libpq's severity words and the SQLSTATE the
// driver appends: "ERROR:  division by zero\n(22012)" -> "division by zero".
QString plainServerText(const QString &raw)
{
    QStringList lines;
    for (QString line : raw.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        for (const char *prefix : {"ERROR:", "FATAL:", "PANIC:"})
            if (line.startsWith(QLatin1String(prefix)))
                line = line.mid(int(qstrlen(prefix))).trimmed();
        // The statement's own line and the caret under it say nothing to a user.
        if (line.isEmpty() || line.startsWith(QLatin1String("QPSQL:")) || line.startsWith(QLatin1String("LINE "))
            || line == QLatin1String("^")
            || (line.size() == 7 && line.startsWith(QLatin1Char('(')) && line.endsWith(QLatin1Char(')'))))
            continue;
        lines.append(line);
    }
    return lines.join(QLatin1Char(' '));
}

QString connectFailureText(const QString &label, const QString &reason)
{
    if (reason.contains(QLatin1String("password authentication failed"))
        || reason.contains(QLatin1String("no password supplied")))
        return QStringLiteral("无法连接%1: 用户名或密码不对 (密码写在 ~/.pgpass 或 PGPASSFILE 指定的文件中): %2")
            .arg(label, reason);
    if (reason.contains(QLatin1String("does not exist")))
        return QStringLiteral("无法连接%1: 服务器上没有这个数据库或用户: %2").arg(label, reason);
    return QStringLiteral("无法连接%1, 服务器没有响应或拒绝连接: %2").arg(label, reason);
}

void startSession(QSqlDatabase &db, const QStringList &schemas)
{
    QSqlQuery query(db);
    const QString setup = QStringLiteral("SET search_path TO %1; SET extra_float_digits = 1; SET jit = off; "
                                         "SET max_parallel_workers_per_gather = 0; SET lock_timeout = '10s'; "
                                         "SET client_min_messages = warning; SET work_mem = '32MB'")
                              .arg(schemas.join(QLatin1String(", ")));
    if (!query.exec(setup))
        throw Error(plainServerText(query.lastError().databaseText()));
}

void connectSession(QSqlDatabase &db, const Session &session)
{
    const QString options = driverConnectOptions(session.conninfo);
    db.setConnectOptions(options);
    const QString label = serverLabel(session.conninfo);
    if (!db.open())
        throw Error(connectFailureText(label, plainServerText(db.lastError().databaseText())));
    PGconn *conn = serverHandle(db);
    if (conn && PQserverVersion(conn) < kOldestServerVersion)
        throw Error(QStringLiteral("%1的版本为 %2, 本程序需要 PostgreSQL 12 或更新的版本")
                        .arg(label, QString::fromLatin1(PQparameterStatus(conn, "server_version"))));
    startSession(db, session.schemas);
}

} // namespace

QSqlDatabase openServerConnection(const QString &conninfo, const QStringList &schemas, const QString &connectionName)
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase::database(connectionName, false).close();
        QSqlDatabase::removeDatabase(connectionName);
    }
    const Session session {conninfo, schemas};
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw Error(QStringLiteral("没有安装 PostgreSQL 的 Qt 驱动 (QPSQL, Debian 软件包 libqt6sql6-psql)"));
    }
    try {
        connectSession(db, session);
    } catch (const Error &) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw;
    }
    const QMutexLocker locker(&sessionsLock);
    sessions().insert(connectionName, session);
    return db;
}

PGconn *serverHandle(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "PGconn*") == 0)
        return *static_cast<PGconn *const *>(v.constData());
    if (v.isValid() && qstrcmp(v.typeName(), "pg_conn*") == 0)
        return *static_cast<PGconn *const *>(v.constData());
    return nullptr;
}

QString serverLabel(const QSqlDatabase &db)
{
    const ServerFacts facts = serverFacts(db);
    if (facts.database.isEmpty()) {
        const QMutexLocker locker(&sessionsLock);
        return serverLabel(sessions().value(db.connectionName()).conninfo);
    }
    return labelOf(facts.host, facts.port, facts.database);
}

QString serverLabel(const QString &conninfo)
{
    const auto entries = conninfoEntries(conninfo);
    const QString service = entry(entries, "service");
    if (!service.isEmpty() && entry(entries, "host").isEmpty())
        return QStringLiteral("数据库服务器 (服务 %1)").arg(service);
    const auto orEnv = [](const QString &value, const char *variable) {
        return value.isEmpty() ? qEnvironmentVariable(variable) : value;
    };
    QString database = orEnv(entry(entries, "dbname"), "PGDATABASE");
    if (database.isEmpty())
        database = orEnv(entry(entries, "user"), "PGUSER");
    return labelOf(orEnv(entry(entries, "host"), "PGHOST"), orEnv(entry(entries, "port"), "PGPORT"), database);
}

ServerFacts serverFacts(const QSqlDatabase &db)
{
    ServerFacts facts;
    PGconn *conn = serverHandle(db);
    if (!conn || PQstatus(conn) != CONNECTION_OK)
        return facts;
    facts.host = QString::fromUtf8(PQhost(conn));
    facts.port = QString::fromUtf8(PQport(conn));
    facts.database = QString::fromUtf8(PQdb(conn));
    facts.user = QString::fromUtf8(PQuser(conn));
    facts.version = QString::fromUtf8(PQparameterStatus(conn, "server_version"));
    return facts;
}

bool serverConnectionLost(const QSqlDatabase &db)
{
    if (!db.isValid() || db.driverName() != QLatin1String("QPSQL"))
        return false;
    PGconn *conn = serverHandle(db);
    return !conn || PQstatus(conn) == CONNECTION_BAD;
}

QString connectionLostText(const QSqlDatabase &db, const QString &reason)
{
    QString text = QStringLiteral("与%1的连接已断开, 操作没有完成 (下一次操作时重新连接)").arg(serverLabel(db));
    if (const QString plain = plainServerText(reason); !plain.isEmpty())
        text += QStringLiteral(": ") + plain;
    return text;
}

void reconnectServer(QSqlDatabase &db)
{
    Session session;
    {
        const QMutexLocker locker(&sessionsLock);
        session = sessions().value(db.connectionName());
    }
    db.close();
    connectSession(db, session);
}

bool serverInTransaction(const QSqlDatabase &db)
{
    PGconn *conn = serverHandle(db);
    return conn && PQtransactionStatus(conn) != PQTRANS_IDLE;
}

QString serverSqlState(const QSqlError &error)
{
    return error.nativeErrorCode();
}

QString serverErrorText(const QSqlError &error, const QSqlDatabase &db)
{
    QString reason = plainServerText(error.databaseText());
    if (reason.isEmpty())
        reason = plainServerText(error.driverText());
    if (serverConnectionLost(db))
        return connectionLostText(db, reason);
    const QString state = serverSqlState(error);
    if (state == QLatin1String("53100"))
        return QStringLiteral("%1的磁盘已满, 操作没有完成: %2").arg(serverLabel(db), reason);
    if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
        return QStringLiteral("与其他用户同时修改发生冲突, 操作没有完成, 请重试: ") + reason;
    if (state == QLatin1String("55P03"))
        return QStringLiteral("其他用户正在修改这些数据, 等待超时, 操作没有完成, 请稍后重试: ") + reason;
    if (state == QLatin1String("42501"))
        return QStringLiteral("没有权限, 操作没有完成: ") + reason;
    return reason;
}

} // namespace tarvex
