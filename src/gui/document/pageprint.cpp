#include "gui/document/pageprint.h"

#include "core/common/appstate.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/document/pagerenderer.h"
#include "gui/common/filedialogs.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

namespace tarvex {

bool printPageDocument(QPrinter *printer, const PageDocument &document)
{
    const int count = int(document.pages.size());
    int from = 1;
    int to = count;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = qMax(1, printer->fromPage());
        to = qMin(count, printer->toPage() > 0 ? printer->toPage() : count);
    }
    QPainter painter;
    if (from > to || !painter.begin(printer))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    PageRenderer renderer;
    const double unitsPerInch = printer->resolution();
    for (int k = from; k <= to; ++k) {
        if (k > from)
            printer->newPage();
        renderer.drawPage(painter, document.pages[k - 1], unitsPerInch);
    }
    return true;
}

bool exportPdfAsked(const std::function<void(const QString &path)> &write)
{
    const QString folder
        = appState().currentFilePath.isEmpty() ? programFolder() : QFileInfo(appState().currentFilePath).absolutePath();
    QString path = ShowSaveDialog(QStringLiteral("导出PDF"), QStringLiteral("PDF 文件 (*.pdf)"), folder);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    try {
        write(path);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    messages().information(QStringLiteral("保存文件成功!"));
    return true;
}

} // namespace tarvex
