#include "gui/app/toolbaricons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tarvex {

QIcon tileIcon(const QString &glyph, const QColor &color)
{
    QIcon icon;
    for (int size : {32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF tile(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
        QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
        fill.setColorAt(0, color.lighter(125));
        fill.setColorAt(1, color.darker(110));
        QPainterPath path;
        path.addRoundedRect(tile, size * 0.18, size * 0.18);
        painter.fillPath(path, fill);
        painter.setPen(QPen(color.darker(140), size / 32.0));
        painter.drawPath(path);
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(int(size * 0.52));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(tile, Qt::AlignCenter, glyph);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tarvex
