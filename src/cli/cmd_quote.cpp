#include "cli/commands.h"

#include "cli/progressline.h"
#include "cli/quoteoptions.h"
#include "cli/streamedoutput.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/common/numbers.h"
#include "core/document/xlsxcells.h"
#include "core/quote/datacheck.h"
#include "core/quote/lcprice.h"
#include "core/quote/paperpdf.h"
#include "core/quote/quotejson.h"
#include "core/quote/quotesequence.h"
#include "core/quote/quotesettings.h"
#include "core/quote/quoteworkbook.h"

#include <QDir>
#include <QHash>

namespace tarvex::cli {

namespace {

constexpr int kRefused = 3;

// Where a finished run goes. Each output is one option and one branch of
// writeQuoteOutputs; the text listing is written when none is asked for.
struct QuoteOutputs {
    QString json; // file, or "-" for standard output
    QString xlsx; // workbook file
    QString pdf; // paper quotation pages
    bool split = false; // a workbook too large for one file goes into several

    // JSON alone is written item by item as the run prices them.
    bool jsonAlone() const { return !json.isEmpty() && xlsx.isEmpty() && pdf.isEmpty(); }
};

void declareQuoteOptions(CommandLine &line)
{
    line.option("scope", "whole|series|window", "报价范围: 整个工程、按门窗系列或按窗号");
    declareCalculationOptions(line);
    line.option("project", "TEXT", "工程名称");
    line.option("title", "TEXT", "报价单标题");
    line.flag("with-name", "报价单上印工程名称");
    line.option("json", "FILE|-", "报价数字写成 JSON (- 为标准输出)");
    line.option("xlsx", "FILE", "输出 Excel 报价工作簿");
    line.flag("split", "工作表多于一个工作簿能容纳的: 分成 FILE-1.xlsx、FILE-2.xlsx … 输出");
    line.option("pdf", "FILE", "输出报价单 PDF (缺少附件或玻璃单价时不输出)");
}

// Options given on the command line replace the ones kept in cs.ini; false
// after a usage error.
bool takeQuoteOptions(const CommandLine &line, QuoteOptions &options)
{
    using Scope = QuoteOptions::Scope;
    static const QHash<QString, Scope> scopes {{QStringLiteral("whole"), Scope::Whole},
        {QStringLiteral("series"), Scope::Series}, {QStringLiteral("window"), Scope::Window}};
    if (line.isSet("scope") && !scopes.contains(line.value("scope"))) {
        line.usageError(QStringLiteral("--scope: ") + line.value("scope"));
        return false;
    }
    if (!takeCalculationOptions(line, options))
        return false;
    options.scope = scopes.value(line.value("scope"), options.scope);
    const std::pair<const char *, QString *> texts[] = {{"project", &options.project}, {"title", &options.title}};
    for (const auto &[name, target] : texts) {
        if (line.isSet(name))
            *target = line.value(name);
    }
    if (line.isSet("with-name"))
        options.withName = true;
    return true;
}

void writeText(QTextStream &out, const QuoteResult &result)
{
    for (const QuoteItem &item : result.items) {
        out << item.sheet << '\t' << item.title << '\t' << QStringLiteral("面积:") << plainNumber(item.area) << '\n';
        out << QStringLiteral("一\t直接材料费用") << '\n';
        for (const QuoteMaterialRow &row : item.materials) {
            out << row.serial << '\t' << row.name << '\t' << row.spec << '\t' << format3(row.qty) << '\t' << row.unit
                << '\t' << format3(row.price) << '\t' << format3(row.total) << '\t' << row.remark << '\n';
        }
        out << QStringLiteral("二\t固定费用") << '\n';
        for (const QuoteFeeRow &fee : item.fees)
            out << fee.serial << '\t' << fee.name << '\t' << fee.priceText() << '\t' << format3(fee.value) << '\n';
        out << QStringLiteral("单价\t") << format3(item.unitPrice) << '\n';
        out << QStringLiteral("总价\t") << format3(item.totalPrice) << "\n\n";
    }
    out.flush();
}

// Every output of a finished run: each asked-for output in turn, the text
// listing when none is. The workbook comes last and uses the run up.
void writeQuoteOutputs(Context &context, QuoteRun &run, const QuoteOutputs &outputs, ProgressLine &progress)
{
    bool written = false;
    if (!outputs.json.isEmpty()) {
        const QByteArray json = quoteResultJson(run.result);
        if (outputs.json == QLatin1String("-"))
            context.out << QString::fromUtf8(json);
        else
            saveFileAtomically(outputs.json, json);
        written = true;
    }
    if (!outputs.pdf.isEmpty()) {
        writeQuotationPdf(run, outputs.pdf, [&progress](int page, int pages) {
            if (page == 1)
                progress.start(QStringLiteral("正在写入报价单PDF"), pages);
            progress.show(page);
        });
        progress.clear();
        written = true;
    }
    if (!outputs.xlsx.isEmpty()) {
        progress.start(QStringLiteral("正在写入工作簿"), run.progressMaximum);
        const QuoteWorkbooks books = writeQuoteWorkbook(
            outputs.xlsx, std::move(run), [&progress](int rows) { progress.show(rows); },
            outputs.split ? QuoteWorkbookSplit::Split : QuoteWorkbookSplit::Refuse);
        progress.clear();
        if (books.paths.size() > 1) {
            context.out << QStringLiteral("已分成%1个工作簿:").arg(books.paths.size()) << '\n';
            for (const QString &path : books.paths)
                context.out << QDir::toNativeSeparators(path) << '\n';
            context.out.flush();
        }
        if (books.cutCells > 0)
            context.err << cutCellsNote(books.cutCells) << Qt::endl;
        written = true;
    }
    if (!written)
        writeText(context.out, run.result);
}

// The refusals of DataCheck: a profile without line weight always;
// accessories and glass for the paper quotation always (as the dialog's
// paper button does), for the other outputs unless the user said yes.
bool goOnWithout(Context &context, DataCheckResult check, bool yes, bool paper)
{
    const bool may = mayGoOnWithout(check);
    if (may && paper) {
        context.err << dataCheckMessage(check) << Qt::endl
                    << QStringLiteral("纸面报价(--pdf)需要全部单价; --xlsx 和 --json 可以用 --yes 继续") << Qt::endl;
        return false;
    }
    if (!may || !yes) {
        context.err << dataCheckMessage(check);
        if (may)
            context.err << QStringLiteral(" (--yes 继续)");
        context.err << Qt::endl;
        return false;
    }
    context.err << dataCheckMessage(check) << QStringLiteral(" 继续") << Qt::endl;
    return true;
}

} // namespace

int cmdQuote(Context &context)
{
    CommandLine line(context);
    declareQuoteOptions(line);
    if (const auto stop = line.parse(0, 0))
        return *stop;
    QuoteRun run;
    run.options = quoteOptionsFromSettings(readQuoteSettings(iniPath()));
    QVector<LcPriceAnswer> answers;
    if (!takeQuoteOptions(line, run.options) || !takeLcPriceAnswers(line, answers))
        return kUsageError;
    const bool yes = line.isSet("yes");
    const QuoteOutputs outputs {line.value("json"), line.value("xlsx"), line.value("pdf"), line.isSet("split")};
    if (!openWorkingDatabase(context))
        return 1;
    try {
        // Check, calculation and outputs read one state of the project.
        const ReadTransaction snapshot;
        QuoteSteps steps;
        steps.goOnWithout
            = [&](DataCheckResult check) { return goOnWithout(context, check, yes, !outputs.pdf.isEmpty()); };
        QStringList unanswered;
        steps.askPrice = answerFromArguments(context, answers, yes, unanswered);
        std::unique_ptr<StreamedOutput> streamed;
        std::unique_ptr<QuoteJsonWriter> json;
        if (outputs.jsonAlone()) {
            streamed = std::make_unique<StreamedOutput>(context, outputs.json);
            json = std::make_unique<QuoteJsonWriter>([&](const QByteArray &piece) { streamed->write(piece); });
            steps.itemDone = [&](QuoteItem &&item) { json->item(item); };
        }
        ProgressLine progress(context);
        int rows = 0;
        steps.calculating = [&](int maximum) {
            reportUnusedAnswers(context, answers);
            if (json)
                json->begin(run.options.scope, run.options.areaBasis);
            progress.start(QStringLiteral("正在计算报价"), maximum);
        };
        steps.rowDone = [&] { progress.show(++rows); };
        const bool calculated = runQuoteCalculation(run, yes ? NullPrices::Zero : NullPrices::Fail, steps);
        progress.clear();
        if (!calculated)
            return kRefused;
        if (refuseUnanswered(context, unanswered))
            return kRefused;
        for (const QString &warning : run.result.warnings)
            context.err << warning << Qt::endl;
        if (json) {
            json->end();
            streamed->finish();
            return 0;
        }
        // Refused before any output is written.
        if (const int parts = quoteWorkbookCount(run); !outputs.xlsx.isEmpty() && parts > 1 && !outputs.split) {
            context.err << QStringLiteral("当前错误:") << tooManyQuoteSheetsText(run)
                        << QStringLiteral("; 用 --split 分成%1个工作簿输出").arg(parts) << Qt::endl;
            return 1;
        }
        writeQuoteOutputs(context, run, outputs, progress);
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace tarvex::cli
