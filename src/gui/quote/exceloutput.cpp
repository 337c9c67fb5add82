#include "gui/quote/quoteoutputs.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/document/xlsxcells.h"
#include "core/quote/quoteworkbook.h"
#include "gui/common/forms.h"

#include <QDir>
#include <QFileInfo>

namespace tarvex {

QString writeExcelQuotation(QuoteRun &&run, const std::function<void(int)> &progress)
{
    // More windows than a spreadsheet program opens sheets: the quotation
    // goes into several workbooks, when the user wants that.
    const int parts = quoteWorkbookCount(run);
    if (parts > 1
        && !messages().question(tooManyQuoteSheetsText(run) + QStringLiteral(".\n是否分成%1个工作簿输出?").arg(parts)))
        return QString();
    const QString path = defaultQuoteWorkbookPath(run, parts);
    QuoteWorkbooks written;
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(folder));
        written = writeQuoteWorkbook(path, std::move(run), progress, QuoteWorkbookSplit::Split);
    } catch (const Error &e) {
        reportError(e.message());
        return QString();
    }
    openWithDesktop(written.paths.first());
    QString text = QStringLiteral("报价数据输出完成!");
    for (const QString &file : written.paths)
        text += QLatin1Char('\n') + QDir::toNativeSeparators(file);
    if (written.cutCells > 0)
        text += QLatin1Char('\n') + cutCellsNote(written.cutCells);
    messages().information(text);
    return written.paths.first();
}

} // namespace tarvex
