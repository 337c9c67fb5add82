#pragma once

// The demo project quoted by the quotation calculation itself, with the same
// options as a tarvex-cli command line, so the workbook can be checked
// against the figures of both.

#include "core/quote/quotecalculation.h"

#include <QStringList>

namespace tarvex::test {

inline QuoteOptions demoQuoteOptions(QuoteOptions::Scope scope)
{
    QuoteOptions options;
    options.scope = scope;
    options.lossLc = QStringLiteral("1.05");
    options.lossPj = QStringLiteral("1.02");
    options.lossBl = QStringLiteral("1.1");
    options.project = QStringLiteral("演示工程");
    options.title = QStringLiteral("门窗报价单");
    return options;
}

// The answers to the profile price prompts.
inline QString demoLcPriceString()
{
    return QStringLiteral("断桥铝型材/True/24.5\\普通铝型材/False/18");
}

// The demo answers as the price prompts get them.
inline std::optional<QString> demoLcPriceAnswer(const LcPriceClass &cls, const QString &)
{
    return cls.thermal ? QStringLiteral("24.5") : QStringLiteral("18");
}

// Frame areas, the options above and the demo answers.
inline QuoteRun demoQuoteRun(QuoteOptions::Scope scope)
{
    QuoteRun run;
    run.options = demoQuoteOptions(scope);
    run.lcPriceString = demoLcPriceString();
    QuoteGroups groups = readQuoteGroups(run.options);
    run.progressMaximum = groups.progressMaximum;
    run.result = calculateQuote(run.options, std::move(groups), run.lcPriceString, NullPrices::Zero);
    return run;
}

// The tarvex-cli arguments (after "tarvex-cli") of the same run.
inline QStringList demoQuoteArguments(QuoteOptions::Scope scope)
{
    const QuoteOptions o = demoQuoteOptions(scope);
    const char *scopes[] = {"whole", "series", "window"};
    QStringList args {"quote", "--scope", QString::fromLatin1(scopes[int(scope)]), "--area", "frame", "--loss-lc",
        o.lossLc, "--loss-pj", o.lossPj, "--loss-bl", o.lossBl, "--project", o.project, "--title", o.title, "--yes"};
    for (const QString &item : demoLcPriceString().split(QLatin1Char('\\')))
        args << "--lc-price" << item;
    return args;
}

} // namespace tarvex::test
