#include "cli/commands.h"

#include "cli/quoteoptions.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/common/numbers.h"
#include "core/offer/offerjson.h"
#include "core/offer/offerpaper.h"
#include "core/offer/offersequence.h"
#include "core/offer/offerworkbook.h"
#include "core/quote/datacheck.h"
#include "core/quote/quotesettings.h"

#include <QDir>

namespace tarvex::cli {

namespace {

constexpr int kRefused = 3;

void declareOutputs(CommandLine &line)
{
    line.option("pdf", "FILE", "报价单 PDF (必填; 与报价记录中保存的完全相同)");
    line.option("xlsx", "FILE", "报价单工作簿 (金额、合计、税金、总计为公式)");
    line.option("json", "FILE|-", "报价单写成 JSON (- 为标准输出)");
}

// The outputs of an offer that is recorded already: a failure names the
// file and says how to get the offer again.
int writeOutputs(
    Context &context, const CommandLine &line, const RecordedOffer &recorded, const OfferSettings &settings)
{
    const QString number = recorded.offer.number;
    try {
        saveFileAtomically(line.value("pdf"), recorded.pdf);
        if (line.isSet("xlsx"))
            writeOfferWorkbook(line.value("xlsx"), recorded.offer, offerLetterhead(settings));
        if (line.isSet("json")) {
            const QByteArray json = offerJson(recorded.offer);
            if (line.value("json") == QLatin1String("-"))
                context.out << QString::fromUtf8(json);
            else
                saveFileAtomically(line.value("json"), json);
        }
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl
                    << QStringLiteral("报价 %1 已记录, 可用 tarvex-cli offers show %1 --pdf 文件 取出").arg(number)
                    << Qt::endl;
        return 1;
    }
    return 0;
}

// The number and totals of an issued offer, on standard output.
void reportIssued(Context &context, const Offer &offer)
{
    const OfferTotals &t = offer.totals;
    context.out << offer.number << '\t' << QStringLiteral("合计 ") << formatYuan(t.subtotal) << '\t'
                << QStringLiteral("优惠 ") << formatYuan(t.discount) << '\t' << QStringLiteral("税金 ")
                << formatYuan(t.tax) << '\t' << QStringLiteral("总计 ") << formatYuan(t.total) << '\t'
                << amountInWords(t.total) << Qt::endl;
}

// The price check as the paper quotation takes it: refused, whatever --yes says.
bool refuseMissingPrice(Context &context, DataCheckResult check)
{
    context.err << dataCheckMessage(check) << Qt::endl << QStringLiteral("客户报价需要全部单价") << Qt::endl;
    return false;
}

bool readNumber(const CommandLine &line, const char *name, std::optional<double> *value)
{
    if (!line.isSet(name))
        return true;
    double number;
    if (!parseNumber(line.value(name), &number)) {
        line.usageError(QStringLiteral("--%1 应为数字: %2").arg(QLatin1String(name), line.value(name)));
        return false;
    }
    *value = number;
    return true;
}

// The offer's own options; false after a usage error.
bool takeRequest(const CommandLine &line, const OfferSettings &settings, OfferRequest &request)
{
    request.customer = line.value("customer");
    request.project = line.value("project");
    request.sourceFile = line.value("source");
    request.validityDays = settings.validityDays;
    if (line.isSet("scope")) {
        const std::optional<OfferScope> scope = offerScopeFromName(line.value("scope"));
        if (!scope) {
            line.usageError(QStringLiteral("--scope: ") + line.value("scope"));
            return false;
        }
        request.scope = *scope;
    }
    if (line.isSet("discount") && line.isSet("discount-amount")) {
        line.usageError(QStringLiteral("--discount 与 --discount-amount 只能给一个"));
        return false;
    }
    std::optional<double> percent;
    std::optional<double> amount;
    if (!readNumber(line, "discount", &percent) || !readNumber(line, "discount-amount", &amount)
        || !readNumber(line, "tax", &request.taxPercent))
        return false;
    if (percent)
        request.discount = {OfferDiscount::Kind::Percent, *percent};
    if (amount)
        request.discount = {OfferDiscount::Kind::Amount, *amount};
    if (line.isSet("validity")) {
        bool ok = false;
        request.validityDays = line.value("validity").toInt(&ok);
        if (!ok) {
            line.usageError(QStringLiteral("--validity 应为天数: ") + line.value("validity"));
            return false;
        }
    }
    if (const QString problem = checkOfferRequest(request); !problem.isEmpty()) {
        line.usageError(problem);
        return false;
    }
    return true;
}

} // namespace

int cmdOffer(Context &context)
{
    CommandLine line(context);
    line.option("customer", "TEXT", "客户 (必填)");
    line.option("project", "TEXT", "项目");
    line.option("scope", "window|series", "每个窗号一行 (默认) 或每个门窗系列一行");
    line.option("discount", "P", "优惠: 合计的百分比");
    line.option("discount-amount", "A", "优惠: 金额 (元)");
    line.option("tax", "P", "税率 (百分比, 如 13)");
    line.option("validity", "DAYS", "有效期天数 (默认取 cs.ini, 30)");
    line.option("source", "FILE", "记入报价记录的工程文件");
    declareCalculationOptions(line);
    declareOutputs(line);
    if (const auto stop = line.parse(0, 0))
        return *stop;
    if (!line.isSet("pdf"))
        return line.usageError(QStringLiteral("需要 --pdf"));
    const OfferSettings settings = readOfferSettings(iniPath());
    OfferRequest request;
    QuoteRun run;
    run.options = quoteOptionsFromSettings(readQuoteSettings(iniPath()));
    QVector<LcPriceAnswer> answers;
    if (!takeRequest(line, settings, request) || !takeCalculationOptions(line, run.options)
        || !takeLcPriceAnswers(line, answers))
        return kUsageError;
    if (!openWorkingDatabase(context))
        return 1;
    RecordedOffer recorded;
    try {
        QuoteSteps steps;
        steps.goOnWithout = [&context](DataCheckResult check) { return refuseMissingPrice(context, check); };
        QStringList unanswered;
        steps.askPrice = answerFromArguments(context, answers, line.isSet("yes"), unanswered);
        steps.calculating = [&](int) { reportUnusedAnswers(context, answers); };
        Offer offer;
        if (!prepareOffer(run, request, steps, &offer) || refuseUnanswered(context, unanswered))
            return kRefused;
        for (const QString &warning : run.result.warnings)
            context.err << warning << Qt::endl;
        recorded = issuePreparedOffer(offer, settings);
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    reportIssued(context, recorded.offer);
    return writeOutputs(context, line, recorded, settings);
}

int reviseOffer(Context &context, CommandLine &line)
{
    line.option("lc-price", "CLASS/FLAG/PRICE", "一类主材的每公斤单价 (可重复; 默认取原报价的单价)");
    line.flag("yes", "工程数据与原报价不同时仍然修订");
    declareOutputs(line);
    if (const auto stop = line.parse(1, 1))
        return *stop;
    if (!line.isSet("pdf"))
        return line.usageError(QStringLiteral("需要 --pdf"));
    QVector<LcPriceAnswer> answers;
    if (!takeLcPriceAnswers(line, answers))
        return kUsageError;
    if (!openWorkingDatabase(context))
        return 1;
    const OfferSettings settings = readOfferSettings(iniPath());
    RecordedOffer recorded;
    try {
        const std::optional<RecordedOffer> old = readOffer(line.arguments().first());
        if (!old)
            throw Error(QStringLiteral("没有编号为 %1 的报价").arg(line.arguments().first()));
        QuoteSteps steps;
        steps.goOnWithout = [&context](DataCheckResult check) { return refuseMissingPrice(context, check); };
        QStringList unanswered;
        steps.askPrice = answerFromArguments(context, answers, line.isSet("yes"), unanswered,
            [&old](const LcPriceClass &cls, const QString &) { return recordedClassPrice(old->offer, cls); });
        steps.calculating = [&](int) { reportUnusedAnswers(context, answers); };
        const bool yes = line.isSet("yes");
        const std::optional<RecordedOffer> revised = reviseRecordedOffer(
            *old, quoteOptionsFromSettings(readQuoteSettings(iniPath())), steps,
            [&](const QStringList &differences) {
                if (refuseUnanswered(context, unanswered))
                    return false;
                if (differences.isEmpty())
                    return true;
                context.err << QStringLiteral("工程数据与原报价不同:") << Qt::endl
                            << differences.join(QLatin1Char('\n')) << Qt::endl;
                if (!yes)
                    context.err << QStringLiteral("没有修订 (--yes 仍然修订)") << Qt::endl;
                return yes;
            },
            settings);
        if (!revised)
            return kRefused;
        recorded = *revised;
        context.out << revisionComparison(old->offer, recorded.offer);
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    reportIssued(context, recorded.offer);
    return writeOutputs(context, line, recorded, settings);
}

} // namespace tarvex::cli
