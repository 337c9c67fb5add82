#pragma once

#include "testsupport.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

namespace tarvex::test {

// The application name a test gives the program's server connections, so
// that ConnectionDropper finds them among the test run's others.
inline QString droppableConninfo(const QString &conninfo)
{
    return conninfo + QStringLiteral(" application_name=tarvex_fault");
}

// The home's cs.ini set to reach the server by conninfo, as seat.
void useConninfo(const TestHome &home, const QString &conninfo, const QString &seat = QStringLiteral("seat1"));

// Watches the database adminConninfo names from a thread of its own and ends
// the program's server connection (application_name tarvex_fault) on it the
// first time it is seen
// in the state the condition on pg_stat_activity names, as an administrator
// ending a session or a network cut would.
class ConnectionDropper {
public:
    ConnectionDropper(const QString &adminConninfo, const QString &condition);
    ~ConnectionDropper();
    ConnectionDropper(const ConnectionDropper &) = delete;
    ConnectionDropper &operator=(const ConnectionDropper &) = delete;

    // Stops watching; true when a connection was ended.
    bool finish();

private:
    void watch(const QByteArray &conninfo, const QByteArray &query);

    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_dropped {false};
    std::thread m_thread;
};

// Conditions: inside a transaction that has written something, and inside
// one that reads (past its first statements).
inline const QString kWhileWriting = QStringLiteral("backend_xid IS NOT NULL");
inline const QString kWhileReading
    = QStringLiteral("xact_start IS NOT NULL AND state = 'active' AND query NOT LIKE 'BEGIN%' AND query <> 'SELECT 1'");

// The demo project written the given number of times, each copy's windows
// numbered on from the last: a load or a quotation that lasts long enough to
// be cut short.
QByteArray repeatedDemoProject(int copies);

} // namespace tarvex::test
