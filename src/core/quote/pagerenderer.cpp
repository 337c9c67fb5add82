#include "quote/pagerenderer.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace tarvex {

namespace {
// SimSun's ascent in ems: where the baseline of a one-em line lies.
constexpr double kBaseline = 0.86;
} // namespace

QStringList pageFontFamilies(const QString &fontName)
{
    if (fontName == QStringLiteral("宋体") || fontName.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"), fontName};
    return {fontName, QStringLiteral("Noto Serif CJK SC")};
}

const QFont &PageRenderer::font(const PageText &text, double unitsPerInch, int deviceDpi)
{
    const QString key = text.fontName + QLatin1Char('/') + QString::number(text.fontSize) + QLatin1Char('/')
        + QString::number(text.bold) + QLatin1Char('/') + QString::number(unitsPerInch) + QLatin1Char('/')
        + QString::number(deviceDpi);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        QFont f;
        f.setFamilies(pageFontFamilies(text.fontName));
        // A point is 1/72 inch of the page whatever the painter's scale; Qt
        // turns points into device units with the device's own resolution.
        f.setPointSizeF(text.fontSize * unitsPerInch / deviceDpi);
        f.setBold(text.bold);
        f.setKerning(false);
        it = m_fonts.insert(key, f);
    }
    return *it;
}

void PageRenderer::drawPage(QPainter &painter, const Page &page, double unitsPerInch)
{
    painter.save();
    QPen pen(Qt::black, 0.01 * unitsPerInch, Qt::SolidLine, Qt::SquareCap);
    painter.setPen(pen);
    for (const PageLine &line : page.lines)
        painter.drawLine(QPointF(line.x1, line.y1) * unitsPerInch, QPointF(line.x2, line.y2) * unitsPerInch);

    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    for (const PageText &text : page.texts) {
        const QFont &f = font(text, unitsPerInch, dpi);
        painter.setFont(f);
        const QFontMetricsF metrics(f, painter.device());
        // The advance counts trailing blanks, which the layout uses to shift
        // centred and right-aligned text.
        const double advance = metrics.horizontalAdvance(text.text);
        const double left = text.left * unitsPerInch;
        const double width = text.width * unitsPerInch;
        double x = left;
        if (text.alignment == PageText::Right)
            x = left + width - advance;
        else if (text.alignment == PageText::Centre)
            x = left + (width - advance) / 2;
        // The layout puts each 0.3-inch box 0.1 inch over the rule below it:
        // it was made for a one-em line (SimSun's metrics) at the top of the
        // box, which then sits in the middle of its ruled row. Centring
        // Noto's taller line in the box would set the text on the rule.
        const double em = text.fontSize / 72.0 * unitsPerInch;
        const double baseline = text.top * unitsPerInch + kBaseline * em;
        painter.drawText(QPointF(x, baseline), text.text);
    }
    painter.restore();
}

} // namespace tarvex
