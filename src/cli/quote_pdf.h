#pragma once

#include "quote/quoterun.h"

#include <QString>
#include <QTextStream>

namespace tarvex::cli {

// "--pdf FILE" of the quote command: writes the paper quotation of the run.
// Returns 0, or 1 after writing "当前错误:" + reason to err.
int writePdfForCli(const QuoteRun &run, const QString &path, QTextStream &err);

} // namespace tarvex::cli
