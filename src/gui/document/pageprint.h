#pragma once

#include "core/document/pagedocument.h"

#include <functional>

class QPrinter;

namespace tarvex {

// Prints the pages the printer's range asks for (all by default), each on
// its own sheet with the paper's top left corner as origin. False when the
// printer could not be started or the range holds no page.
bool printPageDocument(QPrinter *printer, const PageDocument &document);

// 导出PDF of a window that shows pages: asks for a file (in the project's
// folder, ".pdf" added when no suffix is given), lets write put the PDF there
// and says how it went. False when the user cancelled or writing failed.
bool exportPdfAsked(const std::function<void(const QString &path)> &write);

} // namespace tarvex
