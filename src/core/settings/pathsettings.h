#pragma once

#include <QString>

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

// Writes path1 and path2 as typed (cleaned). Returns the message to show:
// "设置成功!重新启动软件后生效!", followed by a line for each folder that does
// not exist. Throws Error when cs.ini cannot be written.
QString savePathSettings(const QString &iniFile, const PathSettings &settings);

} // namespace tarvex
