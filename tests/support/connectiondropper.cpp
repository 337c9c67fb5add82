#include "connectiondropper.h"

#include "core/common/db/engine.h"

#include <QList>

#include <chrono>

#include <libpq-fe.h>

namespace tarvex::test {

ConnectionDropper::ConnectionDropper(const QString &adminConninfo, const QString &condition)
{
    const QByteArray query = "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                             "WHERE datname = current_database() AND application_name = 'tarvex_fault' AND "
        + condition.toUtf8();
    m_thread = std::thread(&ConnectionDropper::watch, this, adminConninfo.toUtf8(), query);
}

ConnectionDropper::~ConnectionDropper()
{
    finish();
}

bool ConnectionDropper::finish()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    return m_dropped;
}

void ConnectionDropper::watch(const QByteArray &conninfo, const QByteArray &query)
{
    PGconn *conn = PQconnectdb(conninfo.constData());
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (PQstatus(conn) == CONNECTION_OK && !m_stop && std::chrono::steady_clock::now() < giveUp) {
        PGresult *result = PQexec(conn, query.constData());
        const bool ended = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0;
        PQclear(result);
        if (ended) {
            m_dropped = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    PQfinish(conn);
}

void useConninfo(const TestHome &home, const QString &conninfo, const QString &seat)
{
    DatabaseSettings settings = readDatabaseSettings(home.file(QStringLiteral("cs.ini")));
    settings.conninfo = conninfo;
    settings.seat = seat;
    writeDatabaseSettings(home.file(QStringLiteral("cs.ini")), settings);
}

QByteArray repeatedDemoProject(int copies)
{
    const QList<QByteArray> lines = readFile(sourcePath(QStringLiteral("data/demo/demo.xdt"))).split('\n');
    int windows = 0;
    for (const QByteArray &line : lines)
        windows += line.startsWith("4|") ? 1 : 0;
    QByteArray project;
    for (int copy = 0; copy < copies; ++copy)
        for (const QByteArray &line : lines) {
            QList<QByteArray> fields = line.split('|');
            if (fields.size() < 3)
                continue;
            fields[1] = QByteArray::number(fields[1].toInt() + copy * windows);
            project += fields.join('|') + '\n';
        }
    return project;
}

} // namespace tarvex::test
