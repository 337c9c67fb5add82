#include "cli/commands.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/cutting/cutsettings.h"
#include "core/cutting/remnants.h"

#include <QDate>

namespace tarvex::cli {

namespace {

int listRemnants(Context &context, CommandLine &line)
{
    if (const auto stop = line.parse(0, 0))
        return *stop;
    if (!openWorkingDatabase(context))
        return 1;
    context.out << QStringLiteral("编号\t代号\t长度m\t工程\t日期\n");
    for (const Remnant &r : readRemnants(Database::shared()))
        context.out << r.id << '\t' << r.code << '\t' << formatCutLength(r.length) << '\t' << r.project << '\t'
                    << r.date << '\n';
    return 0;
}

int addRemnants(Context &context, CommandLine &line)
{
    line.option("project", "NAME", "余料来自的工程");
    line.option("date", "YYYY-MM-DD", "余料的日期 (默认今天)");
    if (const auto stop = line.parse(2, 2))
        return *stop;
    Remnant r;
    r.code = line.arguments().at(0);
    QString error;
    if (!parseCutLength(line.arguments().at(1), QStringLiteral("长度"), &r.length, &error))
        return line.usageError(error);
    r.project = line.value("project");
    const QDate date = line.isSet("date") ? QDate::fromString(line.value("date"), Qt::ISODate) : QDate::currentDate();
    if (!date.isValid())
        return line.usageError(QStringLiteral("--date 不是 YYYY-MM-DD 日期: ") + line.value("date"));
    r.date = date.toString(Qt::ISODate);
    if (!openWorkingDatabase(context))
        return 1;
    const qint64 id = addRemnant(Database::shared(), r);
    context.out << QStringLiteral("已添加余料 %1: %2 %3 m").arg(id).arg(r.code.trimmed(), formatCutLength(r.length))
                << Qt::endl;
    return 0;
}

int removeRemnants(Context &context, CommandLine &line)
{
    line.flag("yes", "确认删除");
    if (const auto stop = line.parse(1, 1000))
        return *stop;
    if (!line.isSet("yes"))
        return line.usageError(QStringLiteral("删除余料需要 --yes 确认"));
    QList<qint64> ids;
    for (const QString &arg : line.arguments()) {
        bool ok = false;
        const qint64 id = arg.toLongLong(&ok);
        if (!ok || id <= 0)
            return line.usageError(QStringLiteral("ID 应为余料编号 (正整数): ") + arg);
        ids.append(id);
    }
    if (!openWorkingDatabase(context))
        return 1;
    // All of them or none.
    inTransaction(Database::shared(), [&] {
        for (const qint64 id : ids)
            removeRemnant(Database::shared(), id);
    });
    for (const qint64 id : ids)
        context.out << QStringLiteral("已删除余料 %1").arg(id) << '\n';
    context.out.flush();
    return 0;
}

} // namespace

int cmdRemnants(Context &context)
{
    return runSubcommand(context,
        {
            {"list", "", "列出余料库 (制表符分隔: 编号、代号、长度 m、工程、日期)", listRemnants},
            {"add", "CODE LENGTH", "添加一段余料: 代号和长度 (米)", addRemnants},
            {"remove", "ID...", "删除编号为 ID 的余料 (可多个, 需要 --yes; 有一个不存在时都不删除)", removeRemnants},
        },
        QStringLiteral("用法: tarvex-cli [--home DIR] remnants 子命令 [选项]\n"
                       "余料库为工作数据库中的 lcRemnant 表.\n"));
}

} // namespace tarvex::cli
