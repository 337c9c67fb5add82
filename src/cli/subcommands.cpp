#include "cli/subcommands.h"

#include "core/common/error.h"

namespace tarvex::cli {

namespace {

void printHelp(QTextStream &out, const QString &command, const QList<Subcommand> &subcommands, const QString &help)
{
    out << "用法: tarvex-cli [--home DIR] " << command << " 子命令 [选项]\n"
        << help << "\n\n"
        << "子命令 (tarvex-cli " << command << " 子命令 --help 列出其选项):\n";
    for (const Subcommand &s : subcommands)
        out << "  " << QString::fromUtf8(s.name).leftJustified(8) << QString::fromUtf8(s.summary) << '\n';
    out.flush();
}

} // namespace

int fail(Context &context, const QString &message)
{
    context.err << QStringLiteral("当前错误:") << message << Qt::endl;
    return 1;
}

int runSubcommands(Context &context, const QList<Subcommand> &subcommands, const QString &help)
{
    if (context.args.isEmpty() || context.args.first() == QStringLiteral("--help")) {
        printHelp(context.args.isEmpty() ? context.err : context.out, context.command, subcommands, help);
        return context.args.isEmpty() ? kUsageError : 0;
    }
    const QString name = context.args.first();
    for (const Subcommand &s : subcommands) {
        if (name != QLatin1String(s.name))
            continue;
        Context sub {context.command + QLatin1Char(' ') + name, context.args.mid(1), context.out, context.err};
        CommandLine line(sub, QString::fromUtf8(s.arguments));
        try {
            return s.run(sub, line);
        } catch (const Error &e) {
            return fail(context, e.message());
        }
    }
    context.err << "未知的子命令: " << name << '\n';
    printHelp(context.err, context.command, subcommands, help);
    return kUsageError;
}

} // namespace tarvex::cli
