#include "cli/commands.h"

#include "cli/streamedoutput.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/keytext.h"
#include "core/cutting/cutdata.h"
#include "core/cutting/cutjson.h"
#include "core/cutting/cutpages.h"
#include "core/cutting/cutplan.h"
#include "core/cutting/cutsummary.h"
#include "core/cutting/cutworkbook.h"
#include "core/cutting/remnants.h"
#include "core/document/pagepdf.h"

namespace tarvex::cli {

namespace {

// The lengths given on the command line replace the ones kept in cs.ini
// (which stays as it is); false after a usage error.
bool takeCutLengths(const CommandLine &line, CutSettings &settings)
{
    const std::tuple<const char *, QString, double *> boxes[] = {{"stock", QStringLiteral("定尺"), &settings.stock},
        {"kerf", QStringLiteral("锯缝"), &settings.kerf}, {"trim", QStringLiteral("端头切除"), &settings.trim}};
    for (const auto &[name, label, target] : boxes) {
        QString error;
        if (line.isSet(name) && !parseCutLength(line.value(name), label, target, &error)) {
            line.usageError(QStringLiteral("--") + QString::fromLatin1(name) + QStringLiteral(": ") + error);
            return false;
        }
    }
    const QString problem = checkCutSettings(settings);
    if (!problem.isEmpty()) {
        line.usageError(problem);
        return false;
    }
    return true;
}

// The summary, then the remnants to fetch.
void writeSummary(QTextStream &out, const CutPlan &plan)
{
    const CutUnit unit = plan.settings.unit;
    out << cutSummaryHeadings(unit).join(QLatin1Char('\t')) << '\n';
    for (const CodePlan &code : plan.codes)
        out << cutSummaryTexts(code, unit).join(QLatin1Char('\t')) << '\n';
    out << cutTotalTexts(plan).join(QLatin1Char('\t')) << '\n';
    for (const CodePlan &code : plan.codes)
        for (const CutBar &bar : code.bars)
            if (bar.remnant)
                out << fetchText(code.code, *bar.remnant, unit) << '\n';
    out.flush();
}

// What was left out of the plan, piece by piece, and what else the plan
// has to say.
void reportLeftOut(QTextStream &err, const CutPlan &plan, const QStringList &missingCodes)
{
    for (const CutPiece &piece : plan.tooLong)
        err << QStringLiteral("超过定尺,未排入下料: ") << describePiece(piece) << '\n';
    for (const CutPiece &piece : plan.invalid)
        err << QStringLiteral("切割长度无效,未排入下料: ") << describePiece(piece) << '\n';
    for (const QString &code : missingCodes)
        err << QStringLiteral("工程中没有这个代号: ") << code << '\n';
    for (const QString &warning : plan.warnings)
        err << warning << '\n';
    err.flush();
}

} // namespace

int cmdCut(Context &context)
{
    CommandLine line(context);
    line.option("stock", "M", "默认定尺 (米), 没有自己定尺的代号用它");
    line.option("kerf", "M", "锯缝 (米)");
    line.option("trim", "M", "每根料的端头切除 (米)");
    line.option("code", "CODE", "只计算这个代号 (可重复)");
    line.option("json", "FILE|-", "下料方案写成 JSON (- 为标准输出)");
    line.option("pdf", "FILE", "输出下料单 PDF");
    line.option("xlsx", "FILE", "输出 Excel 下料工作簿");
    line.flag("use-remnants", "先用余料库中的余料, 再用新料");
    line.flag("confirm", "确认下料: 记录本方案的余料, 取走本方案用掉的余料");
    line.flag("again", "与 --confirm 一起: 同一工程的同一方案已确认过时仍再次确认");
    line.option("project", "NAME", "确认下料时记入余料的工程名称");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    CutSettings settings = readCutSettings(iniPath());
    if (!takeCutLengths(line, settings))
        return kUsageError;
    const QStringList onlyCodes = line.values("code");
    if (!openWorkingDatabase(context))
        return 1;
    try {
        const QVector<CutCode> codes = readCutCodes(Database::shared(), onlyCodes, line.isSet("use-remnants"));
        QStringList missing = onlyCodes;
        for (const CutCode &code : codes)
            missing.removeIf([&](const QString &wanted) { return sameKey(wanted, code.code); });
        const CutPlan plan = planCuts(codes, settings);
        reportLeftOut(context.err, plan, missing);

        const QString json = line.value("json");
        if (!json.isEmpty()) {
            StreamedOutput out(context, json);
            writeCutPlanJson(plan, [&out](const QByteArray &piece) { out.write(piece); });
            out.finish();
        }
        if (line.isSet("pdf"))
            writePagesPdf(cutPlanPages(plan), line.value("pdf"), QStringLiteral("下料优化"));
        if (line.isSet("xlsx"))
            writeCutWorkbook(line.value("xlsx"), plan);
        if (json != QLatin1String("-"))
            writeSummary(context.out, plan);
        if (line.isSet("confirm")) {
            const CutConfirmation done = confirmCutPlan(Database::shared(), plan, line.value("project").trimmed(),
                QDate::currentDate(), line.isSet("again") ? ConfirmAgain::Allow : ConfirmAgain::Refuse);
            (json == QLatin1String("-") ? context.err : context.out) << confirmationText(done) << Qt::endl;
        }
    } catch (const RepeatedConfirmation &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << '\n'
                    << QStringLiteral("确实要再次按此方案下料时, 加 --again") << Qt::endl;
        return 1;
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace tarvex::cli
