#pragma once

#include "core/common/db/engine.h"
#include "core/settings/pathsettings.h"

#include <QString>

namespace tarvex {

// The engine choice of the settings dialog: engine and conninfo of section
// db in cs.ini (seat and library stay as they are written).

// Why the choice cannot be stored (empty when it can): a server needs a
// connection string libpq can read and that holds no password.
QString engineChoiceProblem(Engine engine, const QString &conninfo);

// Stores the settings dialog's choices in one write of the file: the two
// folders, and engine and conninfo when they differ from what is stored (a
// workstation on a file keeps a cs.ini without section db). Returns
// "设置成功!重新启动软件后生效!". Throws Error with engineChoiceProblem's
// reason or the file's; the file is then left as it was.
QString saveSettings(const QString &iniFile, const PathSettings &paths, Engine engine, const QString &conninfo);

// Opens and closes a connection to the server conninfo names, touching
// nothing on it. Returns "连接成功: 数据库服务器 … (PostgreSQL …)"; throws
// Error naming the server and the reason it gave.
QString testServerConnection(const QString &conninfo);

} // namespace tarvex
