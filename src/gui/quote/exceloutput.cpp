#include "quote/quoteoutputs.h"

#include "common/error.h"
#include "common/forms.h"
#include "common/messages.h"
#include "quote/quoteworkbook.h"

#include <QDir>
#include <QFileInfo>

namespace tarvex {

QString writeExcelQuotation(const QuoteRun &run, const std::function<void(int)> &progress)
{
    const QString path = defaultQuoteWorkbookPath(run);
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(folder));
        writeQuoteWorkbook(path, run, progress);
    } catch (const Error &e) {
        reportError(e.message());
        return QString();
    }
    openWithDesktop(path);
    messages().information(QStringLiteral("报价数据输出完成!") + QLatin1Char('\n') + QDir::toNativeSeparators(path));
    return path;
}

} // namespace tarvex
