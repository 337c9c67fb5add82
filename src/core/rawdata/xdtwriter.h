#pragma once

#include "core/common/db/database.h"

#include <QByteArray>
#include <QString>

namespace tarvex {

// The working tables as xdt text: LcTemp, BlTemp, PjTemp, MjTemp in this
// order, each row one line "type|field|...", CR LF, numbers in plain decimal
// form, Null as empty text. Throws Error when a value cannot be written (a
// text holding "|" or a line break would change the lines on reading back).
QString workingTablesText(QSqlDatabase db = Database::shared());

// The same in GBK, the code page of the design tool. Throws Error when a
// text has a character GBK does not have.
QByteArray workingTablesBytes(QSqlDatabase db = Database::shared());

// Writes the working tables to path through a temporary file, so the old
// file stays whole when anything fails. Throws Error.
void writeRawDataFile(const QString &path, QSqlDatabase db = Database::shared());

} // namespace tarvex
