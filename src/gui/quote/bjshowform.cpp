#include "gui/quote/bjshowform.h"

#include "core/common/appstate.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/common/messages.h"
#include "core/document/pagepdf.h"
#include "core/document/pagerenderer.h"
#include "gui/common/filedialogs.h"
#include "gui/document/pageprint.h"
#include "gui/document/pageview.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

#include <functional>

namespace tarvex {

bjShowForm::bjShowForm(QWidget *parent)
    : QWidget(parent)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("bjShowForm"));
    setWindowTitle(QStringLiteral("报价预览"));

    // The layout places everything on the paper itself: no printer margins.
    m_printer->setFullPage(true);
    m_printer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));

    m_preview = new PageView(this);
    m_preview->setObjectName(QStringLiteral("Picture1"));
    connect(m_preview, &PageView::changed, this, &bjShowForm::updatePageLabel);

    auto *toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    buildToolbar(toolbar);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_preview, 1);
}

bjShowForm::~bjShowForm() = default;

void bjShowForm::buildToolbar(QToolBar *toolbar)
{
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [this, toolbar](const QString &text, const QString &name, std::function<void()> run) {
        QAction *action = toolbar->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, std::move(run));
    };
    add(QStringLiteral("首页"), QStringLiteral("cmdFirst"), [this] { goToPage(1); });
    add(QStringLiteral("上一页"), QStringLiteral("cmdPrevious"), [this] { goToPage(m_preview->currentPage() - 1); });
    add(QStringLiteral("下一页"), QStringLiteral("cmdNext"), [this] { goToPage(m_preview->currentPage() + 1); });
    add(QStringLiteral("末页"), QStringLiteral("cmdLast"), [this] { goToPage(m_preview->pageCount()); });
    m_pageLabel = new QLabel(toolbar);
    m_pageLabel->setObjectName(QStringLiteral("PageLabel"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    toolbar->addWidget(m_pageLabel);
    toolbar->addSeparator();
    add(QStringLiteral("放大"), QStringLiteral("cmdZoomIn"), [this] { m_preview->zoomIn(); });
    add(QStringLiteral("缩小"), QStringLiteral("cmdZoomOut"), [this] { m_preview->zoomOut(); });
    add(QStringLiteral("适合宽度"), QStringLiteral("cmdFitWidth"), [this] { m_preview->fitToWidth(); });
    add(QStringLiteral("整页"), QStringLiteral("cmdFitPage"), [this] { m_preview->fitInView(); });
    toolbar->addSeparator();
    add(QStringLiteral("打印"), QStringLiteral("cmdPrint"), [this] { printDocument(); });
    add(QStringLiteral("导出PDF"), QStringLiteral("cmdPdf"), [this] { exportPdf(); });
}

void bjShowForm::setDocument(const PageDocument &document, const QString &title)
{
    m_document = document;
    m_title = title;
    m_recordedPdf.clear();
    m_printer->setDocName(title);
    m_printer->setFromTo(0, 0);
    m_preview->setDocument(&m_document);
}

void bjShowForm::goToPage(int page)
{
    m_preview->setCurrentPage(page);
}

void bjShowForm::updatePageLabel()
{
    m_pageLabel->setText(QStringLiteral("第") + QString::number(m_preview->currentPage()) + QStringLiteral("页/共")
        + QString::number(m_preview->pageCount()) + QStringLiteral("页"));
}

void bjShowForm::printDocument()
{
    QPrintDialog dialog(m_printer.get(), this);
    dialog.setWindowTitle(QStringLiteral("打印"));
    dialog.setMinMax(1, qMax(1, int(m_document.pages.size())));
    if (dialog.exec() == QDialog::Accepted)
        printPages(m_printer.get());
}

void bjShowForm::printPages(QPrinter *printer)
{
    if (!printPageDocument(printer, m_document))
        reportError(QStringLiteral("无法打印到 ") + printer->printerName());
}

bool bjShowForm::exportPdf()
{
    return exportPdfAsked([this](const QString &path) {
        if (m_recordedPdf.isEmpty())
            writePagesPdf(m_document, path, m_title);
        else
            saveFileAtomically(path, m_recordedPdf);
    });
}

void bjShowForm::setRecordedPdf(const QByteArray &pdf)
{
    m_recordedPdf = pdf;
}

} // namespace tarvex
