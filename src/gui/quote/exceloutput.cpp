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
    const QString path = defaultQuoteWorkbookPath(run);
    const CutCellCount cut;
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(folder));
        writeQuoteWorkbook(path, std::move(run), progress);
    } catch (const Error &e) {
        reportError(e.message());
        return QString();
    }
    openWithDesktop(path);
    QString text = QStringLiteral("报价数据输出完成!") + QLatin1Char('\n') + QDir::toNativeSeparators(path);
    if (cut.cells() > 0)
        text += QLatin1Char('\n') + cutCellsNote(cut.cells());
    messages().information(text);
    return path;
}

} // namespace tarvex
