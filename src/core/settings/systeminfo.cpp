#include "core/settings/systeminfo.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/serverconnection.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/library/libraryfile.h"
#include "core/settings/pathsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace tarvex {

namespace {

QString originText(FolderOrigin origin)
{
    switch (origin) {
    case FolderOrigin::Chosen:
        return QStringLiteral("命令行 --home 指定");
    case FolderOrigin::Environment:
        return QStringLiteral("环境变量 TARVEX_HOME");
    case FolderOrigin::Executable:
        return QStringLiteral("程序所在文件夹");
    case FolderOrigin::UserData:
        return QStringLiteral("用户数据文件夹");
    }
    return QString();
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString sizeText(qint64 bytes)
{
    return QLocale::system().formattedDataSize(bytes) + QStringLiteral(" (") + QLocale::system().toString(bytes)
        + QStringLiteral(" 字节)");
}

// A database file and, while the program writes it, its write-ahead log:
// the recent changes live there until they are copied into the file.
QString fileLine(const QString &folder, const QString &name)
{
    const QFileInfo file(QDir(folder).filePath(name));
    QString value = QStringLiteral("不存在");
    if (file.isFile()) {
        value = sizeText(file.size());
        const QFileInfo log(file.filePath() + QStringLiteral("-wal"));
        if (log.isFile() && log.size() > 0)
            value += QStringLiteral(", 预写日志 ") + sizeText(log.size());
    }
    return QStringLiteral("  ") + name + QStringLiteral(": ") + value;
}

// The folder the running program uses, and the one cs.ini names now when
// the settings dialog changed it since the start.
QStringList folderLines(const QString &label, const QString &inUse, const QString &setting, const QString &database)
{
    QStringList lines {label + QStringLiteral(": ") + native(inUse)};
    const QString configured = resolveFolderSetting(setting);
    if (QDir::cleanPath(configured) != QDir::cleanPath(inUse))
        lines << QStringLiteral("  cs.ini 已改为: ") + native(configured) + QStringLiteral(" (重新启动后生效)");
    lines << fileLine(inUse, database);
    return lines;
}

QString libpqVersion()
{
    const int v = PQlibVersion();
    return QStringLiteral("%1.%2").arg(v / 10000).arg(v % 10000);
}

// The engine of the working data and, on a server, where it is and who
// uses it: what a support call asks first.
QStringList engineLines(const DatabaseSettings &settings)
{
    QStringList lines {QStringLiteral("数据库: ") + engineName(settings.engine)};
    if (settings.engine != Engine::Server)
        return lines;
    const QSqlDatabase db = Database::shared();
    const ServerFacts facts = serverFacts(db);
    if (facts.database.isEmpty()) {
        lines << QStringLiteral("  服务器: ") + serverLabel(settings.conninfo) + QStringLiteral(" (未连接)");
    } else {
        lines << QStringLiteral("  服务器: %1:%2, 数据库 %3, 用户 %4, 工作区 %5")
                     .arg(facts.host, facts.port, facts.database, facts.user, settings.seatName())
              << QStringLiteral("  服务器版本: PostgreSQL ") + facts.version;
    }
    lines << QStringLiteral("  客户端库: libpq ") + libpqVersion()
          << QStringLiteral("  图库: ")
            + (settings.libraryOnServer ? QStringLiteral("服务器上的共享图库") : QStringLiteral("图库文件夹中的文件"));
    return lines;
}

QStringList countLines(const QString &title, const QList<std::pair<const char *, const char *>> &tables)
{
    QStringList lines {title};
    for (const auto &[table, meaning] : tables) {
        QString value = unavailableText();
        if (Database::isSharedOpen()) {
            try {
                value = QLocale::system().toString(
                    sqlScalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toLongLong());
            } catch (const Error &) {
                // A table that cannot be counted shows as unavailable.
            }
        }
        lines << QStringLiteral("  ") + QLatin1String(table) + QStringLiteral(" (") + QString::fromUtf8(meaning)
                + QStringLiteral("): ") + value;
    }
    return lines;
}

} // namespace

QString unavailableText()
{
    return QStringLiteral("此时系统信息不可用");
}

QStringList systemInfoLines()
{
    const ProgramFolder program = programFolderInUse();
    const PathSettings settings = readPathSettings(iniPath());
    const AppState &state = appState();
    // Before the main window has read cs.ini, the folders it would use.
    const QString data = state.dataFolder.isEmpty() ? resolveFolderSetting(settings.dataFolder) : state.dataFolder;
    const QString library
        = state.libraryFolder.isEmpty() ? resolveFolderSetting(settings.libraryFolder) : state.libraryFolder;

    QStringList lines;
    lines << QStringLiteral("程序版本: Tarvex ") + QStringLiteral(TARVEX_VERSION)
          << QStringLiteral("Qt 版本: ") + QString::fromLatin1(qVersion()) + QStringLiteral(" (编译时 ")
            + QStringLiteral(QT_VERSION_STR) + QStringLiteral(")")
          << QStringLiteral("SQLite 版本: ") + QString::fromLatin1(sqlite3_libversion())
          << QStringLiteral("操作系统: ") + QSysInfo::prettyProductName() + QStringLiteral(", ")
            + QSysInfo::kernelType() + QStringLiteral(" ") + QSysInfo::kernelVersion() + QStringLiteral(", ")
            + QSysInfo::currentCpuArchitecture();
    lines << QStringLiteral("程序文件夹: ") + native(program.path) + QStringLiteral(" (") + originText(program.origin)
            + QStringLiteral(")");
    if (!program.problem.isEmpty())
        lines << QStringLiteral("  问题: ") + program.problem;
    if (const QString installed = defaultsFolder(); !installed.isEmpty())
        lines << QStringLiteral("安装的默认文件: ") + native(installed);
    const DatabaseSettings database = Database::settingsInUse();
    lines << engineLines(database);
    QStringList dataLines = folderLines(QStringLiteral("数据文件夹"), data, settings.dataFolder, Database::fileName());
    QStringList libraryLines
        = folderLines(QStringLiteral("图库文件夹"), library, settings.libraryFolder, libraryFileName());
    // A file the program does not use is not listed.
    if (database.engine == Engine::Server)
        dataLines.removeLast();
    if (!database.libraryInFile())
        libraryLines.removeLast();
    lines << dataLines << libraryLines;
    lines << countLines(QStringLiteral("工作表记录数:"),
        {{"LcTemp", "型材"}, {"PjTemp", "配件"}, {"BlTemp", "玻璃"}, {"MjTemp", "门窗"}});
    lines << countLines(QStringLiteral("价格表记录数:"),
        {{"lcName", "主材线重"}, {"pjName", "配件单价"}, {"blName", "玻璃单价"}, {"FyTable", "固定费用"}});
    return lines;
}

} // namespace tarvex
