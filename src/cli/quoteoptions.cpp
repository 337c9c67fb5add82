#include "cli/quoteoptions.h"

#include "core/common/numbers.h"

#include <QHash>

namespace tarvex::cli {

namespace {

QString describeClass(const LcPriceClass &cls)
{
    return cls.cls + (cls.thermal ? QStringLiteral(" 隔热材") : QStringLiteral(" 非隔热材"));
}

} // namespace

void declareCalculationOptions(CommandLine &line)
{
    line.option("area", "frame|opening", "面积依据: 框面积或洞口面积");
    line.option("loss-lc", "TEXT", "主材损耗系数");
    line.option("loss-pj", "TEXT", "配件损耗系数");
    line.option("loss-bl", "TEXT", "玻璃损耗系数");
    line.option("lc-price", "CLASS/FLAG/PRICE", "一类主材的每公斤单价 (可重复)");
    line.flag("yes", "价格检查的提问一律回答\"是\", 未给单价的主材按0计算");
}

bool takeCalculationOptions(const CommandLine &line, QuoteOptions &options)
{
    using Area = QuoteOptions::AreaBasis;
    static const QHash<QString, Area> areas {
        {QStringLiteral("frame"), Area::Frame}, {QStringLiteral("opening"), Area::Opening}};
    if (line.isSet("area") && !areas.contains(line.value("area"))) {
        line.usageError(QStringLiteral("--area: ") + line.value("area"));
        return false;
    }
    // The dialog reads a loss factor as far as it is a number; a batch run
    // is told when its option is not one at all.
    for (const char *loss : {"loss-lc", "loss-pj", "loss-bl"}) {
        if (line.isSet(loss) && !parseNumber(line.value(loss), nullptr)) {
            line.usageError(QStringLiteral("--%1 应为数字: %2").arg(QLatin1String(loss), line.value(loss)));
            return false;
        }
    }
    options.areaBasis = areas.value(line.value("area"), options.areaBasis);
    const std::pair<const char *, QString *> losses[]
        = {{"loss-lc", &options.lossLc}, {"loss-pj", &options.lossPj}, {"loss-bl", &options.lossBl}};
    for (const auto &[name, target] : losses) {
        if (line.isSet(name))
            *target = line.value(name);
    }
    return true;
}

bool takeLcPriceAnswers(const CommandLine &line, QVector<LcPriceAnswer> &answers)
{
    for (const QString &text : line.values("lc-price")) {
        const QVector<LcPriceItem> items = splitLcPriceString(text);
        const std::optional<bool> thermal = items.size() == 1 ? thermalFromText(items[0].flagText) : std::nullopt;
        if (!thermal) {
            line.usageError(QStringLiteral("--lc-price 应为 类别/True|False/单价: ") + text);
            return false;
        }
        answers.append({items[0], *thermal, false});
    }
    return true;
}

LcPriceAsk answerFromArguments(
    Context &context, QVector<LcPriceAnswer> &answers, bool yes, QStringList &unanswered, const LcPriceAsk &fallback)
{
    return [&context, &answers, yes, &unanswered, fallback](
               const LcPriceClass &cls, const QString &prompt) -> std::optional<QString> {
        for (LcPriceAnswer &answer : answers) {
            if (answer.item.cls == cls.cls && answer.thermal == cls.thermal) {
                answer.used = true;
                return answer.item.priceText;
            }
        }
        if (fallback) {
            if (const std::optional<QString> answer = fallback(cls, prompt))
                return answer;
        }
        if (yes)
            context.err << QStringLiteral("未给出主材单价: ") << describeClass(cls) << QStringLiteral(",按0计算")
                        << Qt::endl;
        else
            unanswered.append(describeClass(cls));
        return std::nullopt;
    };
}

bool refuseUnanswered(Context &context, const QStringList &unanswered)
{
    if (unanswered.isEmpty())
        return false;
    context.err << QStringLiteral("未给出主材单价: ") << unanswered.join(QStringLiteral("、"))
                << QStringLiteral("; 请用 --lc-price 给出, 或用 --yes 按0计算") << Qt::endl;
    return true;
}

void reportUnusedAnswers(Context &context, const QVector<LcPriceAnswer> &answers)
{
    for (const LcPriceAnswer &answer : answers) {
        if (!answer.used) {
            context.err << QStringLiteral("工程中没有这种主材: ") << describeClass({answer.item.cls, answer.thermal})
                        << Qt::endl;
        }
    }
}

} // namespace tarvex::cli
