#pragma once

#include "core/document/pagedocument.h"

#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QToolBar;

namespace tarvex {

class PageView;

// The print preview of the paper quotation: the pages, page navigation,
// zoom, printing and PDF export.
class bjShowForm : public QWidget {
    Q_OBJECT
public:
    explicit bjShowForm(QWidget *parent = nullptr);
    ~bjShowForm() override;

    void setDocument(const PageDocument &document, const QString &title);
    const PageDocument &document() const { return m_document; }
    PageView *preview() const { return m_preview; }

    // The pages of a customer offer: 导出PDF writes the PDF the register
    // keeps of it, byte for byte. Cleared by setDocument.
    void setRecordedPdf(const QByteArray &pdf);

    // "导出PDF": asks for the file and writes it; false when cancelled or failed.
    bool exportPdf();
    // "打印": the system print dialog, then the printer.
    void printDocument();
    // The pages the printer's range asks for (all by default).
    void printPages(QPrinter *printer);

private:
    void updatePageLabel();
    void buildToolbar(QToolBar *toolbar);
    void goToPage(int page);

    PageDocument m_document;
    QString m_title;
    QByteArray m_recordedPdf;
    std::unique_ptr<QPrinter> m_printer;
    PageView *m_preview;
    QLabel *m_pageLabel;
};

} // namespace tarvex
