#pragma once

#include <QString>

namespace tarvex {

// The program folder holds cs.ini, cllb.txt, pic/1.jpg, the help and temp1/.
// It is $TARVEX_HOME when set, else the folder of the executable; the CLI's
// --home and the tests override it.
QString programFolder();
void setProgramFolder(const QString &folder);

// Path of a file or folder inside the program folder.
QString programFile(const QString &relative);

// cs.ini of the program folder.
QString iniPath();

// A folder setting of cs.ini: an empty value means the program folder.
QString resolveFolderSetting(const QString &setting);

// The data folder named by section "sysPath", key "path1".
QString dataFolder();

} // namespace tarvex
