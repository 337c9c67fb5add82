#include "gui/document/pageview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace tarvex {

namespace {

constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8;
constexpr double kZoomStep = 1.25;
constexpr int kMargin = 16; // grey around the paper, in pixels

} // namespace

// The sheet of paper, the size of the page at the current zoom, in a grey margin.
class PageView::Paper : public QWidget {
public:
    explicit Paper(PageView *view)
        : QWidget(view)
        , m_view(view)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        painter.translate(kMargin, kMargin);
        painter.fillRect(QRect(0, 0, width() - 2 * kMargin, height() - 2 * kMargin), Qt::white);
        const PageDocument *doc = m_view->m_document;
        if (!doc || m_view->m_page < 1)
            return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        m_renderer.drawPage(painter, doc->pages[m_view->m_page - 1], m_view->unitsPerInch());
    }

private:
    PageView *m_view;
    PageRenderer m_renderer;
};

PageView::PageView(QWidget *parent)
    : QScrollArea(parent)
    , m_paper(new Paper(this))
{
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignCenter);
    setWidget(m_paper);
    setWidgetResizable(false);
    applyZoom();
}

void PageView::setDocument(const PageDocument *document)
{
    m_document = document;
    m_page = pageCount() > 0 ? 1 : 0;
    applyZoom();
    m_paper->update();
    emit changed();
}

int PageView::pageCount() const
{
    return m_document ? int(m_document->pages.size()) : 0;
}

void PageView::setCurrentPage(int page)
{
    page = pageCount() > 0 ? qBound(1, page, pageCount()) : 0;
    if (page == m_page)
        return;
    m_page = page;
    verticalScrollBar()->setValue(0);
    m_paper->update();
    emit changed();
}

void PageView::zoomIn()
{
    setZoom(m_zoom * kZoomStep, ZoomMode::Custom);
}

void PageView::zoomOut()
{
    setZoom(m_zoom / kZoomStep, ZoomMode::Custom);
}

void PageView::fitToWidth()
{
    setZoom(m_zoom, ZoomMode::FitToWidth);
}

void PageView::fitInView()
{
    setZoom(m_zoom, ZoomMode::FitInView);
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (m_mode != ZoomMode::Custom)
        applyZoom();
}

void PageView::wheelEvent(QWheelEvent *event)
{
    // Scrolling on past the end of a page turns it, as in a continuous view.
    QScrollBar *bar = verticalScrollBar();
    const int delta = event->angleDelta().y();
    if (delta < 0 && bar->value() == bar->maximum() && m_page < pageCount()) {
        setCurrentPage(m_page + 1);
        event->accept();
    } else if (delta > 0 && bar->value() == bar->minimum() && m_page > 1) {
        setCurrentPage(m_page - 1);
        bar->setValue(bar->maximum());
        event->accept();
    } else {
        QScrollArea::wheelEvent(event);
    }
}

void PageView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        setCurrentPage(m_page + 1);
        break;
    case Qt::Key_PageUp:
        setCurrentPage(m_page - 1);
        break;
    case Qt::Key_Home:
        setCurrentPage(1);
        break;
    case Qt::Key_End:
        setCurrentPage(pageCount());
        break;
    default:
        QScrollArea::keyPressEvent(event);
    }
}

void PageView::setZoom(double zoom, ZoomMode mode)
{
    m_zoom = qBound(kMinZoom, zoom, kMaxZoom);
    m_mode = mode;
    applyZoom();
    emit changed();
}

void PageView::applyZoom()
{
    const double pageWidth = m_document ? m_document->pageWidth : 8.5;
    const double pageHeight = m_document ? m_document->pageHeight : 11;
    const double dpi = logicalDpiX();
    if (m_mode != ZoomMode::Custom) {
        // Leave room for the vertical scroll bar so fitting does not flip it on and off.
        const double width = viewport()->width() - 2 * kMargin
            - (m_mode == ZoomMode::FitToWidth ? verticalScrollBar()->sizeHint().width() : 0);
        double zoom = width / (pageWidth * dpi);
        if (m_mode == ZoomMode::FitInView)
            zoom = qMin(zoom, (viewport()->height() - 2 * kMargin) / (pageHeight * dpi));
        m_zoom = qBound(kMinZoom, zoom, kMaxZoom);
    }
    const double upi = unitsPerInch();
    m_paper->resize(qRound(pageWidth * upi) + 2 * kMargin, qRound(pageHeight * upi) + 2 * kMargin);
    m_paper->update();
}

double PageView::unitsPerInch() const
{
    return m_zoom * logicalDpiX();
}

} // namespace tarvex
