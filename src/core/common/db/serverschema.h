#pragma once

#include "core/common/db/schemaversion.h"

#include <QSqlDatabase>
#include <QString>

namespace tarvex {

// On a server, one schema holds what the firm shares (the price tables, the
// stock lengths, the drawing library and the table of versions), and each
// workstation has a working area of its own: a schema named by its seat,
// holding the working tables and the priced views over the shared tables.
// A connection searches the seat, then the shared schema.
QString sharedSchemaName();

// The roles server init creates: the reader may read and quote, the editor
// may also change the shared tables. A login role becomes one of them with
// GRANT tarvex_reader TO name (or tarvex_editor).
QString readerRoleName();
QString editorRoleName();

// What server init did.
struct ServerInitReport {
    struct Part {
        QString name; // "working", "library"
        int from = 0; // 0: created
        int to = 0;
    };
    QList<Part> parts;
};

// Creates or upgrades the shared schema to the plans' versions (citext, the
// collation and FIRST first), then creates the two roles when missing and
// grants them their rights on every shared table. All in one transaction:
// a failing step changes nothing. A shared schema of a newer program is
// refused. Throws Error naming the server.
ServerInitReport initServerSchema(QSqlDatabase &db, const QList<SchemaPlan> &plans);

// The version the shared schema keeps for a plan's part (0 when there is
// none yet).
int sharedSchemaVersion(QSqlDatabase &db, const QString &part);

// At the start of a connection: the shared schema must hold the plan's
// version; a missing or older one asks for server init, a newer one is
// refused. Throws Error naming the server.
void checkSharedSchema(QSqlDatabase &db, const SchemaPlan &plan);

// Creates the seat's working area when missing, or brings it to the plan's
// version, in one transaction. A working area of a newer program is
// refused. Returns true when it was created. Throws Error.
bool prepareSeat(QSqlDatabase &db, const QString &seat, const SchemaPlan &plan);

bool seatExists(QSqlDatabase &db, const QString &seat);
int seatSchemaVersion(QSqlDatabase &db, const QString &seat);

} // namespace tarvex
