#include "core/app/programicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tarvex {

namespace {

void drawTile(QPainter &p, double s)
{
    const QRectF tile(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, QColor(0x4a8fd6));
    fill.setColorAt(1, QColor(0x1f4f8a));
    QPainterPath path;
    path.addRoundedRect(tile, s * 0.2, s * 0.2);
    p.fillPath(path, fill);
}

void drawWindow(QPainter &p, double s)
{
    const QRectF frame(s * 0.2, s * 0.16, s * 0.6, s * 0.66);
    const double bar = qMax(1.0, s * 0.055);
    p.fillRect(frame, QColor(0xf4f7fb));
    const QRectF glass = frame.adjusted(bar, bar, -bar, -bar);
    QLinearGradient sky(glass.topLeft(), glass.bottomRight());
    sky.setColorAt(0, QColor(0xbfe3ff));
    sky.setColorAt(1, QColor(0x6fb3ea));
    p.fillRect(glass, sky);
    // A shine across the upper panes.
    if (s >= 24) {
        QPainterPath shine;
        shine.moveTo(glass.left(), glass.top() + glass.height() * 0.34);
        shine.lineTo(glass.left() + glass.width() * 0.34, glass.top());
        shine.lineTo(glass.left() + glass.width() * 0.48, glass.top());
        shine.lineTo(glass.left(), glass.top() + glass.height() * 0.48);
        shine.closeSubpath();
        p.fillPath(shine, QColor(255, 255, 255, 110));
    }
    // Mullion and transom.
    p.fillRect(QRectF(frame.center().x() - bar / 2, frame.top(), bar, frame.height()), QColor(0xf4f7fb));
    p.fillRect(
        QRectF(frame.left(), frame.top() + frame.height() * 0.42 - bar / 2, frame.width(), bar), QColor(0xf4f7fb));
}

void drawPriceTag(QPainter &p, double s)
{
    const QPointF centre(s * 0.73, s * 0.73);
    const double r = s * 0.19;
    p.setPen(QPen(QColor(0x8a4a10), qMax(1.0, s * 0.02)));
    p.setBrush(QColor(0xf0a030));
    p.drawEllipse(centre, r, r);
    // The yuan sign, drawn with strokes so that no font is needed.
    QPen pen(Qt::white, qMax(1.0, s * 0.035), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    const double w = r * 0.5;
    const QPointF fork(centre.x(), centre.y() - r * 0.05);
    p.drawLine(QPointF(centre.x() - w, centre.y() - r * 0.55), fork);
    p.drawLine(QPointF(centre.x() + w, centre.y() - r * 0.55), fork);
    p.drawLine(fork, QPointF(centre.x(), centre.y() + r * 0.6));
    if (s >= 24) {
        p.drawLine(
            QPointF(centre.x() - w * 0.8, centre.y() + r * 0.08), QPointF(centre.x() + w * 0.8, centre.y() + r * 0.08));
        p.drawLine(
            QPointF(centre.x() - w * 0.8, centre.y() + r * 0.33), QPointF(centre.x() + w * 0.8, centre.y() + r * 0.33));
    }
}

} // namespace

QImage drawProgramIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawTile(painter, size);
    drawWindow(painter, size);
    drawPriceTag(painter, size);
    painter.end();
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(drawProgramIcon(size)));
    return icon;
}

} // namespace tarvex
