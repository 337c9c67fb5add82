#pragma once

#include "core/common/error.h"

namespace tarvex {

// A failed statement, with the server's SQLSTATE when it came from a
// PostgreSQL server (empty for SQLite), so that callers can tell a refused
// permission or a lost connection from other failures.
class DatabaseError : public Error {
public:
    DatabaseError(const QString &message, const QString &sqlState)
        : Error(message)
        , m_sqlState(sqlState)
    {
    }
    const QString &sqlState() const { return m_sqlState; }

    bool isPermissionDenied() const { return m_sqlState == QLatin1String("42501"); }
    bool isUniqueViolation() const { return m_sqlState == QLatin1String("23505"); }

private:
    QString m_sqlState;
};

} // namespace tarvex
