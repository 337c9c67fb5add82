#pragma once

#include "cli/cli.h"
#include "core/quote/lcprice.h"
#include "core/quote/quoteresult.h"

#include <QVector>

namespace tarvex::cli {

// The options of a quotation's calculation that quote and offer share:
// --area, the three loss factors, --lc-price (repeated) and --yes.
void declareCalculationOptions(CommandLine &line);

// The area basis and loss factors given replace the ones of options (kept
// in cs.ini); false after a usage error.
bool takeCalculationOptions(const CommandLine &line, QuoteOptions &options);

// One --lc-price answer and whether the project asked for it.
struct LcPriceAnswer {
    LcPriceItem item;
    bool thermal = false;
    bool used = false;
};

// false after a usage error.
bool takeLcPriceAnswers(const CommandLine &line, QVector<LcPriceAnswer> &answers);

// The price prompts answered from the command line. A class without an
// answer gets fallback's answer; without one it is a cancelled input box
// (priced 0, said on err) when the user said yes, else it is listed in
// unanswered and the run must not give its figures (refuseUnanswered).
LcPriceAsk answerFromArguments(Context &context, QVector<LcPriceAnswer> &answers, bool yes, QStringList &unanswered,
    const LcPriceAsk &fallback = {});

// Says which classes had no price; true when there were any.
bool refuseUnanswered(Context &context, const QStringList &unanswered);

// Answers given for classes the project does not have, said on err.
void reportUnusedAnswers(Context &context, const QVector<LcPriceAnswer> &answers);

} // namespace tarvex::cli
