#include "commands.h"

#include "app/paths.h"
#include "common/error.h"
#include "common/numbers.h"
#include "common/savefile.h"
#include "document/xlsxcells.h"
#include "quote/datacheck.h"
#include "quote/lcprice.h"
#include "quote/paperpdf.h"
#include "quote/quotecalculation.h"
#include "quote/quotejson.h"
#include "quote/quotesettings.h"
#include "quote/quoteworkbook.h"

namespace tarvex::cli {

namespace {

constexpr int kRefused = 3;

const char *const kQuoteUsage
    = "用法: tarvex-cli [--home DIR] quote [--scope whole|series|window] [--area frame|opening]\n"
      "       [--loss-lc TEXT] [--loss-pj TEXT] [--loss-bl TEXT] [--project TEXT] [--title TEXT]\n"
      "       [--with-name] [--lc-price CLASS/FLAG/PRICE]... [--yes] [--json FILE|-]\n"
      "       [--xlsx FILE] [--pdf FILE]";

// Where a finished run goes. Each output is one option and one branch of
// writeQuoteOutputs; the text listing is written when none is asked for.
struct QuoteOutputs {
    QString json; // file, or "-" for standard output
    QString xlsx; // workbook file
    QString pdf; // paper quotation pages
};

struct LcPriceAnswer {
    LcPriceItem item;
    bool thermal = false;
    bool used = false;
};

bool usageError(Context &context, const QString &reason)
{
    if (!reason.isEmpty())
        context.err << reason << Qt::endl;
    context.err << kQuoteUsage << Qt::endl;
    return false;
}

// Options given on the command line replace the ones kept in cs.ini.
bool takeQuoteOptions(Context &context, QuoteOptions &options)
{
    bool missing = false;
    const QString scope = takeOption(context.args, QStringLiteral("--scope"), &missing);
    if (scope == QLatin1String("whole"))
        options.scope = QuoteOptions::Scope::Whole;
    else if (scope == QLatin1String("series"))
        options.scope = QuoteOptions::Scope::Series;
    else if (scope == QLatin1String("window"))
        options.scope = QuoteOptions::Scope::Window;
    else if (!scope.isEmpty())
        return usageError(context, QStringLiteral("--scope: ") + scope);
    const QString area = takeOption(context.args, QStringLiteral("--area"), &missing);
    if (area == QLatin1String("frame"))
        options.areaBasis = QuoteOptions::AreaBasis::Frame;
    else if (area == QLatin1String("opening"))
        options.areaBasis = QuoteOptions::AreaBasis::Opening;
    else if (!area.isEmpty())
        return usageError(context, QStringLiteral("--area: ") + area);
    const std::pair<const char *, QString *> texts[] = {{"--loss-lc", &options.lossLc}, {"--loss-pj", &options.lossPj},
        {"--loss-bl", &options.lossBl}, {"--project", &options.project}, {"--title", &options.title}};
    for (const auto &[name, target] : texts) {
        const QStringList values = takeOptions(context.args, QString::fromLatin1(name), &missing);
        if (!values.isEmpty())
            *target = values.last();
    }
    if (takeFlag(context.args, QStringLiteral("--with-name")))
        options.withName = true;
    if (missing)
        return usageError(context, QStringLiteral("选项缺少值"));
    return true;
}

bool takeLcPriceAnswers(Context &context, QVector<LcPriceAnswer> &answers)
{
    bool missing = false;
    for (const QString &text : takeOptions(context.args, QStringLiteral("--lc-price"), &missing)) {
        const QVector<LcPriceItem> items = splitLcPriceString(text);
        const std::optional<bool> thermal = items.size() == 1 ? thermalFromText(items[0].flagText) : std::nullopt;
        if (!thermal)
            return usageError(context, QStringLiteral("--lc-price 应为 类别/True|False/单价: ") + text);
        answers.append({items[0], *thermal, false});
    }
    if (missing)
        return usageError(context, QStringLiteral("--lc-price 缺少值"));
    return true;
}

QString describeClass(const LcPriceClass &cls)
{
    return cls.cls + (cls.thermal ? QStringLiteral(" 隔热材") : QStringLiteral(" 非隔热材"));
}

// lcPrice answered from the command line; a class without an answer is a
// cancelled input box.
QString answerLcPrice(Context &context, QVector<LcPriceAnswer> &answers)
{
    const QString prices = lcPrice([&](const LcPriceClass &cls, const QString &) -> std::optional<QString> {
        for (LcPriceAnswer &answer : answers) {
            if (answer.item.cls == cls.cls && answer.thermal == cls.thermal) {
                answer.used = true;
                return answer.item.priceText;
            }
        }
        context.err << QStringLiteral("未给出主材单价: ") << describeClass(cls) << QStringLiteral(",按0计算")
                    << Qt::endl;
        return std::nullopt;
    });
    for (const LcPriceAnswer &answer : answers) {
        if (!answer.used) {
            context.err << QStringLiteral("工程中没有这种主材: ") << describeClass({answer.item.cls, answer.thermal})
                        << Qt::endl;
        }
    }
    return prices;
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
// listing when none is.
void writeQuoteOutputs(Context &context, const QuoteRun &run, const QuoteOutputs &outputs)
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
        writeQuotationPdf(run, outputs.pdf);
        written = true;
    }
    if (!outputs.xlsx.isEmpty()) {
        const CutCellCount cut;
        writeQuoteWorkbook(outputs.xlsx, run);
        if (cut.cells() > 0)
            context.err << cutCellsNote(cut.cells()) << Qt::endl;
        written = true;
    }
    if (!written)
        writeText(context.out, run.result);
}

// The refusals of DataCheck: 1 always, 2 and 3 unless the user said yes.
bool passesDataCheck(Context &context, bool yes)
{
    const int check = DataCheck();
    if (check == 0)
        return true;
    if (check == 1 || !yes) {
        context.err << dataCheckMessage(check);
        if (check != 1)
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
    QuoteRun run;
    run.options = quoteOptionsFromSettings(readQuoteSettings(iniPath()));
    QVector<LcPriceAnswer> answers;
    if (!takeQuoteOptions(context, run.options) || !takeLcPriceAnswers(context, answers))
        return 2;
    const bool yes = takeFlag(context.args, QStringLiteral("--yes"));
    bool missing = false;
    QuoteOutputs outputs;
    outputs.json = takeOption(context.args, QStringLiteral("--json"), &missing);
    outputs.xlsx = takeOption(context.args, QStringLiteral("--xlsx"), &missing);
    outputs.pdf = takeOption(context.args, QStringLiteral("--pdf"), &missing);
    if (missing || !context.args.isEmpty()) {
        usageError(context,
            context.args.isEmpty() ? QString() : QStringLiteral("未知选项: ") + context.args.join(QLatin1Char(' ')));
        return 2;
    }
    if (!openWorkingDatabase(context))
        return 1;
    try {
        // Check, calculation and outputs read one state of the project.
        const ReadTransaction snapshot;
        if (!passesDataCheck(context, yes))
            return kRefused;
        run.lcPriceString = answerLcPrice(context, answers);
        run.progressMaximum = quoteProgressMaximum(run.options.scope);
        run.result = calculateQuote(run.options, run.lcPriceString, yes ? NullPrices::Zero : NullPrices::Fail);
        for (const QString &warning : run.result.warnings)
            context.err << warning << Qt::endl;
        writeQuoteOutputs(context, run, outputs);
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}

int cmdCheck(Context &context)
{
    if (!context.args.isEmpty()) {
        context.err << "用法: tarvex-cli [--home DIR] check" << Qt::endl;
        return 2;
    }
    if (!openWorkingDatabase(context))
        return 1;
    try {
        const int check = DataCheck();
        context.out << check;
        if (check != 0)
            context.out << ' ' << dataCheckMessage(check);
        context.out << Qt::endl;
        return check == 0 ? 0 : kRefused;
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace tarvex::cli
