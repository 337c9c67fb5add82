#include "quote_xlsx.h"

#include "common/error.h"
#include "quote/quoteworkbook.h"

namespace tarvex::cli {

int writeQuoteXlsx(const QuoteRun &run, const QString &path, QTextStream &err)
{
    try {
        writeQuoteWorkbook(path, run);
    } catch (const Error &e) {
        err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace tarvex::cli
