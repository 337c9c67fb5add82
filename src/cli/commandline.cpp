#include "cli/cli.h"

namespace tarvex::cli {

CommandLine::CommandLine(Context &context, const QString &arguments)
    : m_context(context)
    , m_arguments(arguments)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    flag("help", "显示本说明");
}

void CommandLine::option(const char *name, const char *valueName, const char *description)
{
    const QString value = QString::fromUtf8(valueName);
    m_parser.addOption(QCommandLineOption(QString::fromUtf8(name), QString::fromUtf8(description), value));
    m_described.append(
        {QStringLiteral("--") + QString::fromUtf8(name) + QLatin1Char(' ') + value, QString::fromUtf8(description)});
}

void CommandLine::flag(const char *name, const char *description)
{
    m_parser.addOption(QCommandLineOption(QString::fromUtf8(name), QString::fromUtf8(description)));
    m_described.append({QStringLiteral("--") + QString::fromUtf8(name), QString::fromUtf8(description)});
}

std::optional<int> CommandLine::parse(int minArguments, int maxArguments)
{
    if (!m_parser.parse(QStringList(QStringLiteral("tarvex-cli")) + m_context.args)) {
        const QStringList unknown = m_parser.unknownOptionNames();
        return usageError(unknown.isEmpty() ? QStringLiteral("选项有误: ") + m_parser.errorText()
                                            : QStringLiteral("未知选项: --") + unknown.join(QStringLiteral(", --")));
    }
    if (isSet("help")) {
        m_context.out << usage() << Qt::endl;
        return 0;
    }
    const int count = int(arguments().size());
    if (count < minArguments)
        return usageError(QStringLiteral("缺少参数"));
    if (maxArguments >= 0 && count > maxArguments)
        return usageError(QStringLiteral("多余的参数: ") + arguments().mid(maxArguments).join(QLatin1Char(' ')));
    return std::nullopt;
}

bool CommandLine::isSet(const char *name) const
{
    return m_parser.isSet(QString::fromUtf8(name));
}

QString CommandLine::value(const char *name) const
{
    const QStringList all = values(name);
    return all.isEmpty() ? QString() : all.last();
}

QStringList CommandLine::values(const char *name) const
{
    return m_parser.values(QString::fromUtf8(name));
}

QString CommandLine::usage() const
{
    QString text = QStringLiteral("用法: tarvex-cli [--home DIR] ") + m_context.command;
    if (m_described.size() > 1)
        text += QStringLiteral(" [选项]");
    if (!m_arguments.isEmpty())
        text += QLatin1Char(' ') + m_arguments;
    int width = 0;
    for (const Described &d : m_described)
        width = std::max(width, int(d.names.size()));
    for (const Described &d : m_described)
        text += QStringLiteral("\n  ") + d.names.leftJustified(width + 2) + d.description;
    return text;
}

int CommandLine::usageError(const QString &reason) const
{
    if (!reason.isEmpty())
        m_context.err << reason << '\n';
    m_context.err << usage() << Qt::endl;
    return kUsageError;
}

} // namespace tarvex::cli
