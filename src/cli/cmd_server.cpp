#include "cli/commands.h"

#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/common/db/libraryschema.h"
#include "core/common/db/schema.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/library/libraryfile.h"
#include "core/server/sharedcopy.h"

#include <QDir>

namespace tarvex::cli {

namespace {

const QString kServer = QStringLiteral("server-command");
const QString kFile = QStringLiteral("server-command-file");

void connectionOption(CommandLine &line)
{
    line.option("conninfo", "S", "数据库服务器的连接字符串 (默认: cs.ini 中 [db] conninfo)");
}

QString conninfoOf(const CommandLine &line)
{
    const QString given = line.value("conninfo");
    const QString conninfo = given.isEmpty() ? readDatabaseSettings(iniPath()).conninfo : given;
    if (const QString problem = conninfoProblem(conninfo); !problem.isEmpty())
        throw Error(problem);
    return conninfo;
}

// The shared schema alone, without a seat (what an administrator changes).
QSqlDatabase openShared(const CommandLine &line)
{
    return openServerConnection(conninfoOf(line), {sharedSchemaName(), QStringLiteral("public")}, kServer);
}

// Closes what a subcommand opened, whatever it did.
struct Connections {
    ~Connections()
    {
        Database::close(kServer);
        Database::close(kFile);
    }
};

QString partName(const QString &part)
{
    return part == QLatin1String("library") ? QStringLiteral("图库") : QStringLiteral("价格表与定尺");
}

int initServer(Context &context, CommandLine &line)
{
    connectionOption(line);
    if (const auto stop = line.parse(0, 0))
        return *stop;
    const Connections closing;
    QSqlDatabase db = openShared(line);
    const ServerInitReport report = initServerSchema(db, {workingSchemaPlan(), librarySchemaPlan(QString())});
    context.out << serverLabel(db) << QStringLiteral(", 模式 ") << sharedSchemaName() << '\n';
    for (const ServerInitReport::Part &part : report.parts) {
        const QString done = part.from == 0 ? QStringLiteral("已建立")
            : part.from == part.to          ? QStringLiteral("已是最新")
                                            : QStringLiteral("已从版本 %1 升级").arg(part.from);
        context.out << QStringLiteral("  %1: 结构版本 %2, %3\n").arg(partName(part.name)).arg(part.to).arg(done);
    }
    context.out << QStringLiteral("  角色 %1: 查看和报价; 角色 %2: 另可修改价格表、定尺和图库\n")
                       .arg(readerRoleName(), editorRoleName())
                << QStringLiteral("  用户由管理员加入角色, 例如: GRANT %1 TO 用户名;\n").arg(editorRoleName());
    return 0;
}

int createSeat(Context &context, CommandLine &line)
{
    connectionOption(line);
    line.option("seat", "NAME", "工作区名 (默认: cs.ini 中 [db] seat, 否则登录名)");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    DatabaseSettings settings = readDatabaseSettings(iniPath());
    if (!line.value("seat").isEmpty())
        settings.seat = line.value("seat");
    const QString seat = settings.seatName();
    const Connections closing;
    QSqlDatabase db = Database::openServer(conninfoOf(line), seat, kServer);
    context.out << serverLabel(db)
                << QStringLiteral(": 工作区 %1 可用 (结构版本 %2)\n").arg(seat).arg(seatSchemaVersion(db, seat));
    return 0;
}

// The copy of the price tables and stock lengths, then of the library, each
// printed as its counts; exit 1 when a row is refused (nothing written).
int copyAll(Context &context, CommandLine &line, bool toServer)
{
    connectionOption(line);
    line.flag("dry-run", "只显示每个表将新增、修改、未变、无效和删除的行数, 不写入");
    line.flag("no-library", "不复制图库");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    const bool dryRun = line.isSet("dry-run");
    const Connections closing;
    QSqlDatabase server = openShared(line);
    checkSharedSchema(server, workingSchemaPlan());
    const QString workingFile = QDir(dataFolder()).filePath(Database::fileName());
    QList<std::pair<QString, QStringList>> parts {{workingFile, sharedPriceTables()}};
    if (!line.isSet("no-library")) {
        checkSharedSchema(server, librarySchemaPlan(QString()));
        parts.append({currentLibraryFile(), sharedLibraryTables()});
    }
    int invalid = 0;
    for (const auto &[file, tables] : parts) {
        QSqlDatabase local = file == workingFile
            ? Database::open(file, kFile)
            : Database::openFile(file, kFile, librarySchemaPlan(file), Database::Journal::Rollback);
        const CopyReport report = toServer ? copySharedTables(local, server, tables, dryRun)
                                           : copySharedTables(server, local, tables, dryRun);
        context.out << QDir::toNativeSeparators(file) << (toServer ? QStringLiteral(" -> ") : QStringLiteral(" <- "))
                    << serverLabel(server) << '\n';
        for (const QString &text : report.lines())
            context.out << QStringLiteral("  ") << text << '\n';
        invalid += report.invalidRows();
        local = QSqlDatabase();
        Database::close(kFile);
        if (report.invalidRows() > 0)
            break;
    }
    if (invalid > 0)
        context.out << QStringLiteral("有%1行无效, 没有复制这些表\n").arg(invalid);
    else if (dryRun)
        context.out << QStringLiteral("只是预览, 没有写入\n");
    context.out.flush();
    return invalid > 0 ? 1 : 0;
}

int push(Context &context, CommandLine &line)
{
    return copyAll(context, line, true);
}

int pull(Context &context, CommandLine &line)
{
    return copyAll(context, line, false);
}

} // namespace

int cmdServer(Context &context)
{
    return runSubcommand(context,
        {
            {"init", "", "在服务器上建立或升级共享数据 (模式 tarvex) 和角色 tarvex_reader、tarvex_editor", initServer},
            {"seat", "", "在服务器上建立本工作站的工作区", createSeat},
            {"push", "",
                "把本机的价格表、定尺、余料 (newdb.sqlite) 和图库 (xltDb.sqlite) 复制到服务器, "
                "补上服务器没有的报价记录",
                push},
            {"pull", "", "把服务器的价格表、定尺、余料和图库复制到本机的文件, 补上本机没有的报价记录 (离开公司时用)",
                pull},
        },
        QStringLiteral("用法: tarvex-cli [--home DIR] server 子命令 [选项]\n"
                       "服务器由 cs.ini 中 [db] conninfo 指明 (或 --conninfo); 密码写在 ~/.pgpass 中.\n"));
}

} // namespace tarvex::cli
