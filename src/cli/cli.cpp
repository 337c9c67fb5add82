#include "cli/cli.h"

#include "cli/commands.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <new>

namespace tarvex::cli {

namespace {

struct Command {
    const char *name;
    const char *summary;
    int (*run)(Context &);
};

const Command kCommands[] = {
    {"init", "创建缺少的数据库; 执行 SQL 脚本", cmdInit},
    {"load", "用 xdt 文件的记录替换工作表 (全部或不变)", cmdLoad},
    {"save", "把工作表写入 xdt 文件 (GBK, CR LF)", cmdSave},
    {"check", "价格完整性检查: 0 全部有价, 1-3 缺少的种类; 列出每种缺价的材料", cmdCheck},
    {"prices", "价格表导出到或导入自 .csv/.xlsx 文件", cmdPrices},
    {"quote", "工作数据的报价 (JSON、文本、PDF、工作簿)", cmdQuote},
    {"offer", "客户报价: 编号、记入报价记录、输出 PDF (及工作簿、JSON)", cmdOffer},
    {"offers", "报价记录: 列出、显示 (原样取出 PDF)、修订、删除", cmdOffers},
    {"cut", "下料优化: 每个代号的切割排入定尺料 (汇总、JSON、PDF、工作簿)", cmdCut},
    {"library", "图库: 新建图库, 列出、导入、导出记录, 建立示例图库", cmdLibrary},
    {"remnants", "余料库: 列出、添加、删除余料", cmdRemnants},
    {"server", "数据库服务器: 共享数据和角色、工作区, 价格表和图库的复制", cmdServer},
};

void printHelp(QTextStream &out)
{
    out << "用法: tarvex-cli [--home DIR] 命令 [选项]\n\n"
        << "  --home DIR    程序文件夹 (其中的 cs.ini 指明数据文件夹)\n"
        << "  --help        显示本说明\n"
        << "  --version     程序版本\n\n"
        << "命令 (tarvex-cli 命令 --help 列出该命令的选项):\n";
    for (const Command &c : kCommands)
        out << "  " << QString::fromUtf8(c.name).leftJustified(8) << QString::fromUtf8(c.summary) << "\n";
    out.flush();
}

} // namespace

bool drawsPictures(const QStringList &arguments)
{
    // The command is the first word that is no option (nor --home's value).
    QStringList words;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (words.isEmpty() && (a == QLatin1String("--home") || a == QLatin1String("-home"))) {
            ++i;
            continue;
        }
        if (!words.isEmpty() || !a.startsWith(QLatin1Char('-')))
            words.append(a);
    }
    const QString command = words.value(0);
    if (command == QLatin1String("library"))
        return words.value(1) == QLatin1String("demo");
    // An offer is issued with its PDF, a revision too.
    if (command == QLatin1String("offer"))
        return true;
    if (command == QLatin1String("offers"))
        return words.value(1) == QLatin1String("revise");
    if (command != QLatin1String("quote") && command != QLatin1String("cut"))
        return false;
    return std::any_of(words.begin(), words.end(), [](const QString &word) {
        return word == QLatin1String("--pdf") || word.startsWith(QLatin1String("--pdf="))
            || word == QLatin1String("-pdf") || word.startsWith(QLatin1String("-pdf="));
    });
}

bool openWorkingDatabase(Context &context)
{
    // The user's folder of an installed program that could not be filled:
    // said once, then whatever fails reports itself.
    if (const QString problem = programFolderInUse().problem; !problem.isEmpty())
        context.err << QStringLiteral("当前错误:") << problem << Qt::endl;
    try {
        const DatabaseSettings settings = readDatabaseSettings(iniPath());
        const QString folder = dataFolder();
        if (settings.engine == Engine::Sqlite && !QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建数据文件夹 ") + QDir::toNativeSeparators(folder));
        Database::openWorking(settings, folder);
        return true;
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return false;
    }
}

int runSubcommand(Context &context, const QList<Subcommand> &subcommands, const QString &intro)
{
    auto printHelp = [&](QTextStream &out) {
        out << intro << QStringLiteral("\n子命令 (tarvex-cli %1 子命令 --help 列出其选项):\n").arg(context.command);
        for (const Subcommand &s : subcommands)
            out << "  " << QString::fromUtf8(s.name).leftJustified(8) << QString::fromUtf8(s.summary) << '\n';
        out.flush();
    };
    if (context.args.isEmpty() || context.args.first() == QStringLiteral("--help")) {
        printHelp(context.args.isEmpty() ? context.err : context.out);
        return context.args.isEmpty() ? kUsageError : 0;
    }
    const QString name = context.args.first();
    for (const Subcommand &s : subcommands) {
        if (name != QLatin1String(s.name))
            continue;
        Context sub {context.command + QLatin1Char(' ') + name, context.args.mid(1), context.out, context.err,
            context.errIsTerminal};
        CommandLine line(sub, QString::fromUtf8(s.arguments));
        try {
            return s.run(sub, line);
        } catch (const Error &e) {
            context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
            return 1;
        }
    }
    context.err << "未知的子命令: " << name << '\n';
    printHelp(context.err);
    return kUsageError;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, bool errIsTerminal)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Everything after the command name belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption home(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption help(QStringList {QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({home, help, version});
    if (!parser.parse(arguments)) {
        err << parser.errorText() << '\n';
        printHelp(err);
        return kUsageError;
    }
    if (parser.isSet(help)) {
        printHelp(out);
        return 0;
    }
    if (parser.isSet(version)) {
        out << "tarvex-cli " << TARVEX_VERSION << Qt::endl;
        return 0;
    }
    if (parser.isSet(home))
        setProgramFolder(parser.value(home));
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        printHelp(arguments.size() <= 1 ? out : err);
        return kUsageError;
    }
    const QString name = args.takeFirst();
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name)) {
            Context context {name, args, out, err, errIsTerminal};
            int status = 1;
            try {
                status = c.run(context);
            } catch (const std::bad_alloc &) {
                // A file or a run too large for this machine: say so instead of aborting.
                err << QStringLiteral("当前错误:") << outOfMemoryText() << Qt::endl;
            }
            out.flush();
            err.flush();
            return status;
        }
    }
    err << "未知命令: " << name << Qt::endl;
    printHelp(err);
    return kUsageError;
}

} // namespace tarvex::cli
