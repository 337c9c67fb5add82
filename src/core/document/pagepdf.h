#pragma once

#include "core/document/pagedocument.h"

#include <QString>

#include <memory>

namespace tarvex {

// Writes pages to a PDF file one at a time, as they are laid out, so that a
// long document is never held whole (no margins: the layout places
// everything itself). The file is replaced only by commit(); a writer that
// goes away before leaves any old file as it was. Needs a QGuiApplication
// for the fonts. Throws Error with the reason.
class PagePdfWriter {
public:
    PagePdfWriter(const QString &path, double pageWidth, double pageHeight, const QString &title = QString());
    ~PagePdfWriter();
    PagePdfWriter(const PagePdfWriter &) = delete;
    PagePdfWriter &operator=(const PagePdfWriter &) = delete;

    void addPage(const Page &page);
    void commit();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// All pages of a document as a PDF.
void writePagesPdf(const PageDocument &document, const QString &path, const QString &title = QString());

} // namespace tarvex
