#pragma once

#include "quote/quoterun.h"

#include <QString>
#include <QTextStream>

namespace tarvex::cli {

// `quote --xlsx FILE`: writes the spreadsheet quotation of the run (detail
// sheet from the working database, one quotation sheet per scope item) to
// path. Prints nothing on success, so it can stand beside --json output;
// on failure writes "当前错误:" + reason to err. Returns the exit status
// (0 written, 1 failed).
int writeQuoteXlsx(const QuoteRun &run, const QString &path, QTextStream &err);

} // namespace tarvex::cli
