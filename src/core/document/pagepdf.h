#pragma once

#include "document/pagedocument.h"

#include <QString>

namespace tarvex {

// Writes the pages as a PDF (no margins: the layout places everything
// itself). The file is replaced only when complete. Needs a QGuiApplication
// for the fonts. Throws Error with the reason.
void writePagesPdf(const PageDocument &document, const QString &path, const QString &title = QString());

} // namespace tarvex
