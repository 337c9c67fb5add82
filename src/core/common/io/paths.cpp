#include "core/common/io/paths.h"

#include "core/common/error.h"
#include "core/common/io/ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace tarvex {

namespace {

const QString kHelpFolder = QStringLiteral("help");

QString &overriddenFolder()
{
    static QString folder;
    return folder;
}

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Tarvex"));
}

// The executable's folder or the user's data folder: decided, and the user's
// folder filled, once per run.
ProgramFolder installedChoice()
{
    static std::optional<ProgramFolder> choice;
    if (choice)
        return *choice;
    FolderChoiceInputs inputs;
    inputs.executableFolder
        = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    inputs.executableFolderWritable = QFileInfo(inputs.executableFolder).isWritable();
    inputs.defaultsFolder = defaultsFolder();
    inputs.userDataFolder = userDataFolder();
    ProgramFolder folder = chooseProgramFolder(inputs);
    if (folder.origin == FolderOrigin::UserData) {
        try {
            // The manual is read where it is installed, so that an update
            // brings the new one.
            fillFolder(inputs.defaultsFolder, folder.path, kHelpFolder);
        } catch (const Error &e) {
            folder.problem = e.message();
        }
    }
    // Without an application object the executable is not known yet: ask again.
    if (QCoreApplication::instance())
        choice = folder;
    return folder;
}

void copyFile(const QString &from, const QString &to)
{
    QFile source(from);
    // A copy lands whole or not at all; another start filling the same
    // folder at the same moment may have put the file there first.
    if (source.copy(to)) {
        // The user changes settings and databases: installed read-only or not.
        QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return;
    }
    if (QFileInfo::exists(to))
        return;
    throw Error(QStringLiteral("无法复制文件 ") + QDir::toNativeSeparators(from) + QStringLiteral(" 到 ")
        + QDir::toNativeSeparators(to) + QStringLiteral(": ") + source.errorString());
}

void makeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw Error(QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(path));
}

} // namespace

ProgramFolder chooseProgramFolder(const FolderChoiceInputs &inputs)
{
    if (!inputs.chosen.isEmpty())
        return {QDir(inputs.chosen).absolutePath(), FolderOrigin::Chosen, QString()};
    if (!inputs.environment.isEmpty())
        return {QDir(inputs.environment).absolutePath(), FolderOrigin::Environment, QString()};
    // An installed program never writes into its bin folder, even when it
    // may (run by root, or unpacked into a folder of the user's).
    if (inputs.executableFolderWritable && inputs.defaultsFolder.isEmpty())
        return {inputs.executableFolder, FolderOrigin::Executable, QString()};
    return {inputs.userDataFolder, FolderOrigin::UserData, QString()};
}

QString defaultsFolder()
{
    if (!QCoreApplication::instance())
        return QString();
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarvex"));
    return QFileInfo::exists(QDir(folder).filePath(QStringLiteral("cs.ini"))) ? folder : QString();
}

void fillFolder(const QString &from, const QString &to, const QString &skipFolder)
{
    makeFolder(to);
    // Not installed: an empty folder to start with.
    if (from.isEmpty())
        return;
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = source.relativeFilePath(path);
        if (!skipFolder.isEmpty() && (relative == skipFolder || relative.startsWith(skipFolder + QLatin1Char('/'))))
            continue;
        const QString target = QDir(to).filePath(relative);
        if (it.fileInfo().isDir())
            makeFolder(target);
        else if (!QFileInfo::exists(target))
            copyFile(path, target);
    }
}

ProgramFolder programFolderInUse()
{
    if (!overriddenFolder().isEmpty())
        return {overriddenFolder(), FolderOrigin::Chosen, QString()};
    const QString home = qEnvironmentVariable("TARVEX_HOME");
    if (!home.isEmpty())
        return {QDir(home).absolutePath(), FolderOrigin::Environment, QString()};
    return installedChoice();
}

QString programFolder()
{
    return programFolderInUse().path;
}

void setProgramFolder(const QString &folder)
{
    overriddenFolder() = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString programFile(const QString &relative)
{
    return QDir(programFolder()).filePath(relative);
}

QString iniPath()
{
    return programFile(QStringLiteral("cs.ini"));
}

QString resolveFolderSetting(const QString &setting)
{
    if (setting.trimmed().isEmpty())
        return programFolder();
    QDir dir(setting.trimmed());
    if (dir.isRelative())
        return QDir(programFolder()).filePath(setting.trimmed());
    return dir.absolutePath();
}

QString dataFolder()
{
    return resolveFolderSetting(ReadIni(iniPath(), QStringLiteral("sysPath"), QStringLiteral("path1")));
}

QString manualPath()
{
    const QString index = kHelpFolder + QStringLiteral("/index.html");
    const QString own = programFile(index);
    if (QFileInfo::exists(own))
        return own;
    const QString installed = defaultsFolder();
    if (!installed.isEmpty() && QFileInfo::exists(QDir(installed).filePath(index)))
        return QDir(installed).filePath(index);
    return own;
}

} // namespace tarvex
