#pragma once

#include <QString>

namespace tarvex {

// The program folder holds cs.ini, cllb.txt, pic/1.jpg, temp1/ and, unless
// cs.ini names other folders, the databases. It is, in this order: the folder
// the CLI's --home or a test chose; $TARVEX_HOME; the folder of the
// executable when it may be written and is not an installed program's bin
// folder; else the user's data folder (~/.local/share/Tarvex), filled from
// the installed defaults on first use.
QString programFolder();
void setProgramFolder(const QString &folder);

enum class FolderOrigin { Chosen, Environment, Executable, UserData };

struct ProgramFolder {
    QString path;
    FolderOrigin origin = FolderOrigin::Executable;
    // Why the user's data folder could not be created or filled; empty when
    // it could (or when another folder is in use).
    QString problem;
};

// The folder in use and how it was chosen.
ProgramFolder programFolderInUse();

// What the choice depends on, so that it can be tried without installing.
struct FolderChoiceInputs {
    QString chosen; // --home or a test
    QString environment; // $TARVEX_HOME
    QString executableFolder;
    bool executableFolderWritable = false;
    QString defaultsFolder; // installed defaults beside the executable, or empty
    QString userDataFolder;
};
ProgramFolder chooseProgramFolder(const FolderChoiceInputs &inputs);

// The installed defaults (share/tarvex beside the bin folder of the
// executable), or empty text when the program is not installed.
QString defaultsFolder();

// Copies into `to` every file and folder of `from` that `to` lacks, creating
// `to` when missing (an empty `from` only creates it); what is there already
// is never touched. Files under
// skipFolder (relative to from) are left out. Throws Error naming the file
// that could not be copied.
void fillFolder(const QString &from, const QString &to, const QString &skipFolder = QString());

// Path of a file or folder inside the program folder.
QString programFile(const QString &relative);

// cs.ini of the program folder.
QString iniPath();

// A folder setting of cs.ini: an empty value means the program folder.
QString resolveFolderSetting(const QString &setting);

// The data folder named by section "sysPath", key "path1".
QString dataFolder();

// The user manual: the program folder's help/index.html, else the installed
// one. Returns the program folder's path when neither exists.
QString manualPath();

} // namespace tarvex
