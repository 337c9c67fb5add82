#include "cli/commands.h"

#include "cli/progressline.h"
#include "core/common/error.h"
#include "core/prices/priceexport.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QDir>

namespace tarvex::cli {

namespace {

int exportTable(Context &context, const PriceTable &table, const QString &path)
{
    const int count = exportPriceTable(table, path);
    context.out << QStringLiteral("已导出%1条记录到%2").arg(count).arg(QDir::toNativeSeparators(path)) << Qt::endl;
    return 0;
}

int importFile(Context &context, const PriceTable &table, const QString &path, ImportMode mode, bool dryRun)
{
    const PriceListFile file = readPriceListFile(path, table);
    ProgressLine progress(context);
    const auto show = [&progress](int line) { progress.show(line); };
    // A dry run, or a file with invalid rows, writes nothing; the import
    // writes what the check planned.
    progress.start(QStringLiteral("正在检查价格表"), file.lines);
    PriceImportPlan plan = previewPriceImport(table, file, mode, show);
    if (!dryRun && plan.invalid.isEmpty()) {
        progress.start(QStringLiteral("正在导入价格表"), file.lines);
        plan = importPriceList(table, file, mode, &plan, show);
    }
    progress.clear();
    context.out << plan.counts() << '\n';
    if (mode == ImportMode::Replace && plan.removed > 0)
        context.out << QStringLiteral("表中另有%1条记录不在文件中,%2\n")
                           .arg(plan.removed)
                           .arg(dryRun || !plan.invalid.isEmpty() ? QStringLiteral("替换时将被删除")
                                                                  : QStringLiteral("已删除"));
    for (const ImportProblem &problem : plan.invalid)
        context.out << PriceImportPlan::describe(problem) << '\n';
    context.out.flush();
    return plan.invalid.isEmpty() ? 0 : 1;
}

} // namespace

int cmdPrices(Context &context)
{
    CommandLine line(context, QStringLiteral("export|import TABLE FILE"));
    line.flag("replace", "导入: 清空价格表后载入文件 (默认按关键字合并)");
    line.flag("dry-run", "导入: 只显示将新增、修改、未变和无效的行数, 不写入");
    if (const auto stop = line.parse(3, 3))
        return *stop;
    const QStringList args = line.arguments();
    const QString action = args.at(0);
    const PriceTable *table = findPriceTable(args.at(1));
    if (action != QLatin1String("export") && action != QLatin1String("import"))
        return line.usageError(QStringLiteral("未知的操作: ") + action);
    if (!table)
        return line.usageError(QStringLiteral("TABLE 应为 lcName、pjName、blName 或 FyTable: ") + args.at(1));
    if (action == QLatin1String("export") && (line.isSet("replace") || line.isSet("dry-run")))
        return line.usageError(QStringLiteral("--replace 和 --dry-run 只用于 import"));
    if (!openWorkingDatabase(context))
        return 1;
    try {
        if (action == QLatin1String("export"))
            return exportTable(context, *table, args.at(2));
        return importFile(context, *table, args.at(2), line.isSet("replace") ? ImportMode::Replace : ImportMode::Merge,
            line.isSet("dry-run"));
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace tarvex::cli
