#include "app/paths.h"

#include "common/ini.h"

#include <QCoreApplication>
#include <QDir>

namespace tarvex {

namespace {
QString &overriddenFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    const QString home = qEnvironmentVariable("TARVEX_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
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

} // namespace tarvex
