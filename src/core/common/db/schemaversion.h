#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

#include <functional>

namespace tarvex {

// One step of a database's schema: what brings it from the version before
// it to `version`. Steps are only ever appended: databases made by an older
// program were built by the earlier steps and are upgraded by the later ones.
// A step says what it does on each engine: `statements` and `run` on an
// SQLite file, `shared` in the server's shared schema (price tables, stock
// lengths, library) and `seat` in each workstation's working area there.
// Either side may be empty when the step has nothing to do on that engine.
struct SchemaStep {
    int version = 0;
    QStringList statements;
    // Work that SQL statements alone cannot do; runs after the statements.
    std::function<void(QSqlDatabase &)> run = {};
    QStringList shared = {};
    QStringList seat = {};
    // What a seat needs beyond its statements; runs after them.
    std::function<void(QSqlDatabase &)> seatRun = {};
};

// The schema of one kind of database file (newdb.sqlite, xltDb.sqlite, ...),
// kept by number in the file's PRAGMA user_version. The first step must only
// create what is missing (CREATE ... IF NOT EXISTS): it also adopts a file
// made before versions were kept, which holds the tables but no version.
struct SchemaPlan {
    QVector<SchemaStep> steps; // versions 1, 2, 3, ... in order
    // The plan's name in the server's table of versions ("working", "library").
    QString part = QStringLiteral("working");
    // Shared tables every seat writes, not only an editor (the register of
    // offers a quotation issues).
    QStringList writtenBySeats = {};
    // Looks at a file without a version before the first step adopts it, and
    // throws Error when it is not a file of this kind (optional).
    std::function<void(QSqlDatabase &)> adopt = {};

    int currentVersion() const { return steps.isEmpty() ? 0 : steps.constLast().version; }
};

// The version stored in the file (0 for a new or unversioned file).
int schemaVersion(QSqlDatabase &db);

// Brings the file up to the plan's version: the steps after the file's own
// version run in one write transaction, so a failing step leaves the file as
// it was and two programs opening a new file at once build it once. A file
// of a newer version than the plan's is refused, naming the file and both
// versions. Throws Error.
void upgradeSchema(QSqlDatabase &db, const SchemaPlan &plan);

} // namespace tarvex
