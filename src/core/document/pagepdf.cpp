#include "core/document/pagepdf.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/document/pagerenderer.h"
#include "core/document/pdftounicode.h"

#include <QDir>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace tarvex {

struct PagePdfWriter::Private {
    explicit Private(const QString &path)
        : path(path)
        , file(path)
        , filtered(&file.device(), [this](char16_t code) { return renderer.drawnCharacterFor(code); })
    {
    }

    QString failed(const QString &reason = QString()) const
    {
        return QStringLiteral("无法生成PDF文件 ") + QDir::toNativeSeparators(path) + reason;
    }

    QString path;
    AtomicFile file;
    PageRenderer renderer;
    PdfToUnicodeFilter filtered; // names the glyphs of the text layer
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    int pages = 0;
};

PagePdfWriter::PagePdfWriter(const QString &path, double pageWidth, double pageHeight, const QString &title)
    : d(std::make_unique<Private>(path))
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw Error(d->failed(QStringLiteral(": 字体系统未启动")));
    d->filtered.open(QIODevice::WriteOnly);
    d->writer = std::make_unique<QPdfWriter>(&d->filtered);
    d->writer->setCreator(QStringLiteral("Tarvex"));
    d->writer->setTitle(title);
    d->writer->setPageLayout(QPageLayout(
        QPageSize(QSizeF(pageWidth, pageHeight), QPageSize::Inch), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

PagePdfWriter::~PagePdfWriter()
{
    // Not committed: the painter ends into the file that is then dropped.
    if (d->painter.isActive())
        d->painter.end();
}

void PagePdfWriter::addPage(const Page &page)
{
    if (d->pages == 0) {
        if (!d->painter.begin(d->writer.get()))
            throw Error(d->failed());
        d->painter.setRenderHint(QPainter::Antialiasing);
    } else if (!d->writer->newPage()) {
        throw Error(d->failed(QStringLiteral(": 第") + QString::number(d->pages + 1) + QStringLiteral("页")));
    }
    d->renderer.drawPage(d->painter, page, d->writer->resolution());
    ++d->pages;
}

void PagePdfWriter::commit()
{
    if (d->pages == 0)
        throw Error(d->failed(QStringLiteral(": 报价没有页面")));
    d->painter.end();
    d->writer.reset();
    d->filtered.close();
    d->file.commit();
}

void writePagesPdf(const PageDocument &document, const QString &path, const QString &title)
{
    if (document.pages.isEmpty())
        throw Error(
            QStringLiteral("无法生成PDF文件 ") + QDir::toNativeSeparators(path) + QStringLiteral(": 报价没有页面"));
    PagePdfWriter pdf(path, document.pageWidth, document.pageHeight, title);
    for (const Page &page : document.pages)
        pdf.addPage(page);
    pdf.commit();
}

} // namespace tarvex
