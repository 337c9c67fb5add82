#pragma once

#include "core/common/io/ini.h"

#include <QSqlDatabase>
#include <QString>

namespace tarvex {

// Where the working data lives: the file newdb.sqlite of the data folder (one
// workstation), or a firm's PostgreSQL server shared by several.
enum class Engine { Sqlite, Server };

Engine engineOf(const QSqlDatabase &db);
inline bool onServer(const QSqlDatabase &db)
{
    return engineOf(db) == Engine::Server;
}

// Section db of cs.ini: engine = sqlite (the default) or postgresql;
// conninfo = a libpq connection string ("host=... port=... dbname=...
// user=..." or "service=..."); seat = this workstation's working area on the
// server (default: the login name); library = server or file (where the
// drawing library lives on a server engine; default server). Passwords are
// never kept here: libpq reads ~/.pgpass, PGPASSFILE and pg_service.conf.
struct DatabaseSettings {
    Engine engine = Engine::Sqlite;
    QString conninfo;
    QString seat; // as written; empty means the login name
    bool libraryOnServer = true;

    // The seat in use: the one written, else the login name made a schema name.
    QString seatName() const;
    bool libraryInFile() const { return engine == Engine::Sqlite || !libraryOnServer; }
};

DatabaseSettings readDatabaseSettings(const QString &iniFile);

// Writes section db in one write of the file. Throws Error with the reason
// (a password in the connection string, a bad seat name, an unwritable file).
void writeDatabaseSettings(const QString &iniFile, const DatabaseSettings &settings);

// Section db as writeDatabaseSettings stores it, for a write of several
// sections at once. Throws Error as writeDatabaseSettings.
IniSection databaseSettingsSection(const DatabaseSettings &settings);

// The engine's name in cs.ini and for people.
QString engineKey(Engine engine);
QString engineName(Engine engine);

// The login name as a seat: lower-case letters, digits and '_', starting
// with a letter.
QString defaultSeatName();

// Why a seat name cannot name a working area (empty when it can): it must be
// a plain lower-case identifier and not one of the server's own schemas.
QString seatNameProblem(const QString &seat);

// Why a connection string cannot be used (empty when it can): libpq cannot
// read it, or it holds a password.
QString conninfoProblem(const QString &conninfo);

} // namespace tarvex
