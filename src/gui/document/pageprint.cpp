#include "document/pageprint.h"

#include "document/pagerenderer.h"

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

} // namespace tarvex
