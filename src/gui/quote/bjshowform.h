#pragma once

#include "quote/pagedocument.h"
#include "quote/pagerenderer.h"

#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

namespace tarvex {

// The print preview of the paper quotation: the pages, page navigation,
// zoom, printing and PDF export.
class bjShowForm : public QWidget {
    Q_OBJECT
public:
    explicit bjShowForm(QWidget *parent = nullptr);
    ~bjShowForm() override;

    void setDocument(const PageDocument &document, const QString &title);
    const PageDocument &document() const { return m_document; }
    QPrintPreviewWidget *preview() const { return m_preview; }

    // "导出PDF": asks for the file and writes it; false when cancelled or failed.
    bool exportPdf();
    // "打印": the system print dialog, then the printer.
    void printDocument();

private:
    void paintPages(QPrinter *printer);
    void updatePageLabel();
    void buildToolbar(QToolBar *toolbar);
    void goToPage(int page);

    PageDocument m_document;
    QString m_title;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_preview;
    QLabel *m_pageLabel;
    PageRenderer m_renderer;
};

} // namespace tarvex
