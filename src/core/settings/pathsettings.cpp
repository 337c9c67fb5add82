#include "core/settings/pathsettings.h"

#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/library/libraryfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("sysPath");

// Whether a file can be made in the folder, tried rather than read from the
// permission bits (a read-only mount, an administrator's account).
bool canWriteIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tarvex-XXXXXX")));
    return probe.open();
}

} // namespace

PathSettings readPathSettings(const QString &iniFile)
{
    const IniFile ini(iniFile);
    return {ini.value(kSection, QStringLiteral("path1")), ini.value(kSection, QStringLiteral("path2"))};
}

QString cleanFolderText(const QString &text)
{
    QString clean = text;
    clean.remove(QRegularExpression(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]")));
    return clean.trimmed();
}

IniSection pathSettingsSection(const PathSettings &settings)
{
    return {kSection,
        {{QStringLiteral("path1"), cleanFolderText(settings.dataFolder)},
            {QStringLiteral("path2"), cleanFolderText(settings.libraryFolder)}}};
}

QString settingsSavedText()
{
    return QStringLiteral("设置成功!重新启动软件后生效!");
}

QString savePathSettings(const QString &iniFile, const PathSettings &settings)
{
    // Both folders in one write; the reason already names the file.
    QString reason;
    if (!WriteIni(iniFile, {pathSettingsSection(settings)}, &reason))
        throw Error(reason);
    return settingsSavedText();
}

QStringList folderProblems(const PathSettings &settings, std::optional<Engine> engine)
{
    QStringList problems;
    const struct {
        const char *caption;
        QString setting;
        QString file;
        bool fileNeeded;
    } folders[] = {
        {"报价数据库路径", settings.dataFolder, Database::fileName(),
            engine.value_or(readDatabaseSettings(iniPath()).engine) == Engine::Sqlite},
        {"图库数据库路径", settings.libraryFolder, libraryFileName(), false},
    };
    for (const auto &f : folders) {
        const QString folder = resolveFolderSetting(cleanFolderText(f.setting));
        const QString shown = QString::fromUtf8(f.caption) + QStringLiteral(" ") + QDir::toNativeSeparators(folder);
        if (!QFileInfo(folder).isDir())
            problems.append(shown + QStringLiteral(" 不存在"));
        else if (!canWriteIn(folder))
            problems.append(shown + QStringLiteral(" 不能写入"));
        else if (f.fileNeeded && !QFileInfo::exists(QDir(folder).filePath(f.file)))
            problems.append(shown + QStringLiteral(" 中没有 %1, 启动时将建立空的数据库").arg(f.file));
    }
    return problems;
}

QString libraryToCreate(const PathSettings &settings)
{
    const QString folder = resolveFolderSetting(cleanFolderText(settings.libraryFolder));
    const QString file = QDir(folder).filePath(libraryFileName());
    if (!QFileInfo(folder).isDir() || !canWriteIn(folder) || QFileInfo::exists(file) || isProgramFolderLibrary(file))
        return QString();
    return file;
}

} // namespace tarvex
