#include "gui/app/backgroundarea.h"

#include <QPainter>

namespace tarvex {

void BackgroundArea::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    viewport()->update();
}

void BackgroundArea::paintEvent(QPaintEvent *event)
{
    if (m_picture.isNull()) {
        QMdiArea::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    const QSize area = viewport()->size();
    const QPixmap scaled = m_picture.scaled(area, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QPoint origin((area.width() - scaled.width()) / 2, (area.height() - scaled.height()) / 2);
    painter.drawPixmap(origin, scaled);
}

void BackgroundArea::resizeEvent(QResizeEvent *event)
{
    QMdiArea::resizeEvent(event);
    emit resized();
}

} // namespace tarvex
