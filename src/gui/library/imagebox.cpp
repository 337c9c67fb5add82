#include "gui/library/imagebox.h"

#include <QMouseEvent>
#include <QPainter>

namespace tarvex {

ImageBox::ImageBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void ImageBox::setBorderStyle(int style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    update();
}

void ImageBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_scaled = QPixmap();
    update();
}

void ImageBox::clearPicture()
{
    setPicture(QImage());
}

void ImageBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect inner = rect().adjusted(3, 3, -3, -3);
    if (!m_picture.isNull()) {
        const QSize size = m_picture.size().scaled(inner.size(), Qt::KeepAspectRatio);
        if (m_scaled.size() != size)
            m_scaled = QPixmap::fromImage(m_picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        p.drawPixmap(inner.left() + (inner.width() - size.width()) / 2,
            inner.top() + (inner.height() - size.height()) / 2, m_scaled);
    }
    if (m_borderStyle == 1) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    } else {
        p.setPen(QColor(0xd0, 0xd0, 0xd0));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ImageBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
}

void ImageBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

} // namespace tarvex
