#pragma once

#include "core/document/pagedocument.h"
#include "core/document/pagerenderer.h"

#include <QScrollArea>

namespace tarvex {

// Shows one page of a page document at a time, drawn when it is painted, so
// a preview of thousands of pages opens at once.
class PageView : public QScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { Custom, FitToWidth, FitInView };

    explicit PageView(QWidget *parent = nullptr);

    // The document must outlive the view (or be replaced first).
    void setDocument(const PageDocument *document);

    int pageCount() const;
    int currentPage() const { return m_page; } // from 1; 0 without pages
    void setCurrentPage(int page);

    double zoomFactor() const { return m_zoom; } // 1 = the paper's real size
    ZoomMode zoomMode() const { return m_mode; }
    void zoomIn();
    void zoomOut();
    void fitToWidth();
    void fitInView();

signals:
    // The page or the zoom changed.
    void changed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class Paper;

    void setZoom(double zoom, ZoomMode mode);
    void applyZoom();
    double unitsPerInch() const;

    const PageDocument *m_document = nullptr;
    Paper *m_paper;
    int m_page = 0;
    double m_zoom = 1;
    ZoomMode m_mode = ZoomMode::FitToWidth;
};

} // namespace tarvex
