#pragma once

#include "core/common/db/engine.h"
#include "core/common/io/ini.h"

#include <QString>

#include <optional>

namespace tarvex {

// The two folders of section "sysPath" in cs.ini: path1 holds the working
// database, path2 the drawing library. They take effect at the next start.
struct PathSettings {
    QString dataFolder; // path1
    QString libraryFolder; // path2
};

PathSettings readPathSettings(const QString &iniFile);

// A typed folder as it is stored: blanks around it and any line breaks a
// paste brought in are removed.
QString cleanFolderText(const QString &text);

// What will fail at the next start with these folders, one line each: a
// folder that does not exist or cannot be written, a data folder without
// newdb.sqlite (an empty one would be made), a library folder that cannot
// hold xltDb.sqlite. Empty when both are fine. A library folder that could
// hold the file but has none is libraryToCreate's business. The engine is
// the one about to be stored (default: the one in cs.ini); a server's
// working data needs no newdb.sqlite.
QStringList folderProblems(const PathSettings &settings, std::optional<Engine> engine = std::nullopt);

// The library file the library folder lacks, when it is a folder one can be
// made in (and not the program folder, which makes its own); empty text
// otherwise.
QString libraryToCreate(const PathSettings &settings);

// Writes path1 and path2 as typed (cleaned); unchecked, as the user may mean
// a folder that is not there yet. Returns "设置成功!重新启动软件后生效!".
// Throws Error when cs.ini cannot be written.
QString savePathSettings(const QString &iniFile, const PathSettings &settings);

// Section sysPath as savePathSettings stores it, for a write of several
// sections at once.
IniSection pathSettingsSection(const PathSettings &settings);

// What a save of the settings says when it succeeded.
QString settingsSavedText();

} // namespace tarvex
