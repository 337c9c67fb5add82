#include "quote_pdf.h"

#include "common/error.h"
#include "quote/paperpdf.h"

namespace tarvex::cli {

int writePdfForCli(const QuoteRun &run, const QString &path, QTextStream &err)
{
    try {
        writeQuotationPdf(run, path);
        return 0;
    } catch (const Error &e) {
        err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace tarvex::cli
