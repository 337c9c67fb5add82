#pragma once

#include "core/common/db/database.h"
#include "core/common/materialkind.h"

#include <QString>
#include <QStringList>

namespace tarvex {

// Single-row changes to the working tables, made by the raw data editor and
// the priced data viewer. Every value travels as a bound parameter. A stored
// row is found by every value it was shown with, compared as the numbers or
// texts they are; an empty text finds Null or ''. All of them throw Error
// with a plain description and, when they throw, have written nothing.

// LcTemp, PjTemp, BlTemp or MjTemp.
QString rawTableName(MaterialKind kind);

// ID of the window with this series and window code, as stored (no blanks
// trimmed); letter case does not matter, but an exact spelling wins.
int findWindowId(const QString &series, const QString &windowCode, QSqlDatabase db = Database::shared());

// ID for a new window: one more than the highest, 1 for the first window.
int nextWindowId(QSqlDatabase db = Database::shared());

// The editor's writes. boxes are the texts of Text1..Text10 as typed;
// oldValues the key boxes as the record was loaded (rawOldValues): for a
// window its ID, series, code and both areas.
void addRawEntry(MaterialKind kind, const QStringList &boxes, QSqlDatabase db = Database::shared());
void modifyRawEntry(
    MaterialKind kind, const QStringList &boxes, const QStringList &oldValues, QSqlDatabase db = Database::shared());

// Deletes the record behind a row of the viewer's page (texts by column).
// On the windows page only the window row goes; its material rows stay.
void deleteViewerRow(MaterialKind kind, const QStringList &columns, QSqlDatabase db = Database::shared());

// Empties the working table of the kind.
void clearWorkingTable(MaterialKind kind, QSqlDatabase db = Database::shared());

} // namespace tarvex
