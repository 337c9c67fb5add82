#include "cli.h"

#include "app/paths.h"
#include "commands.h"
#include "common/database.h"
#include "common/error.h"

#include <QCoreApplication>
#include <QDir>

namespace tarvex::cli {

namespace {

struct Command {
    const char *name;
    const char *usage;
    int (*run)(Context &);
};

const Command kCommands[] = {
    {"init", "init [--seed FILE.sql]      create the databases when missing; run the SQL of FILE", cmdInit},
    {"load", "load FILE.xdt               replace the working tables with the records of FILE", cmdLoad},
    {"save", "save FILE.xdt               write the working tables to FILE (GBK, CR LF)", cmdSave},
    {"check", "check                       price completeness check: 0 all priced, 1-3 what is missing", cmdCheck},
    {"quote",
        "quote [--scope whole|series|window] [--area frame|opening] [--loss-lc TEXT]\n"
        "        [--loss-pj TEXT] [--loss-bl TEXT] [--project TEXT] [--title TEXT] [--with-name]\n"
        "        [--lc-price CLASS/FLAG/PRICE]... [--yes] [--json FILE|-] [--xlsx FILE] [--pdf FILE]\n"
        "                              quotation of the working data; options not given come\n"
        "                              from section cs1 of cs.ini",
        cmdQuote},
};

void printHelp(QTextStream &out)
{
    out << "用法: tarvex-cli [--home DIR] COMMAND [OPTIONS]\n\n"
        << "  --home DIR    program folder (cs.ini names the data folder in it)\n"
        << "  --help        this text\n"
        << "  --version     the program's version\n\n"
        << "Commands:\n";
    for (const Command &c : kCommands)
        out << "  " << QString::fromUtf8(c.usage) << "\n";
    out.flush();
}

} // namespace

QString takeOption(QStringList &args, const QString &name, bool *missing)
{
    const QStringList values = takeOptions(args, name, missing);
    return values.isEmpty() ? QString() : values.last();
}

QStringList takeOptions(QStringList &args, const QString &name, bool *missing)
{
    QStringList values;
    for (int i = 0; i < args.size();) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) {
                if (missing)
                    *missing = true;
                args.removeAt(i);
                continue;
            }
            values.append(args[i + 1]);
            args.remove(i, 2);
        } else if (args[i].startsWith(name + QLatin1Char('='))) {
            values.append(args[i].mid(name.size() + 1));
            args.removeAt(i);
        } else {
            ++i;
        }
    }
    return values;
}

bool takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

bool openWorkingDatabase(Context &context)
{
    try {
        const QString folder = dataFolder();
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建数据文件夹 ") + QDir::toNativeSeparators(folder));
        Database::open(QDir(folder).filePath(Database::fileName()));
        return true;
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return false;
    }
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QStringList args = arguments.mid(1);
    if (args.isEmpty() || takeFlag(args, QStringLiteral("--help")) || takeFlag(args, QStringLiteral("-h"))) {
        printHelp(out);
        return args.isEmpty() && arguments.size() <= 1 ? 2 : 0;
    }
    if (takeFlag(args, QStringLiteral("--version"))) {
        out << "tarvex-cli " << TARVEX_VERSION << Qt::endl;
        return 0;
    }
    bool missing = false;
    const QString home = takeOption(args, QStringLiteral("--home"), &missing);
    if (missing) {
        err << "--home 需要一个文件夹" << Qt::endl;
        return 2;
    }
    if (!home.isEmpty())
        setProgramFolder(home);
    if (args.isEmpty()) {
        printHelp(err);
        return 2;
    }
    const QString name = args.takeFirst();
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name)) {
            Context context {args, out, err};
            const int status = c.run(context);
            out.flush();
            err.flush();
            return status;
        }
    }
    err << "未知命令: " << name << Qt::endl;
    printHelp(err);
    return 2;
}

} // namespace tarvex::cli
