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

// The price prompts answered from the command line; a class without an
// answer gets fallback's answer, else is a cancelled input box (price 0,
// said on err).
LcPriceAsk answerFromArguments(Context &context, QVector<LcPriceAnswer> &answers, const LcPriceAsk &fallback = {});

// Answers given for classes the project does not have, said on err.
void reportUnusedAnswers(Context &context, const QVector<LcPriceAnswer> &answers);

} // namespace tarvex::cli
