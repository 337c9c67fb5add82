#include "document/pagerenderer.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace tarvex {

namespace {

// SimSun's ascent in ems: where the baseline of a one-em line lies.
constexpr double kBaseline = 0.86;
// Shaped texts kept; a big document repeats most of its texts.
constexpr int kShapedCacheLimit = 50000;

} // namespace

QStringList pageFontFamilies(const QString &fontName)
{
    if (fontName == QStringLiteral("宋体") || fontName.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"), fontName};
    return {fontName, QStringLiteral("Noto Serif CJK SC")};
}

const PageRenderer::Shaped &PageRenderer::shape(const PageText &text, double unitsPerInch, const QPaintDevice *device)
{
    const int dpi = device ? device->logicalDpiY() : 72;
    const QString fontKey = text.fontName + QLatin1Char('/') + QString::number(text.fontSize) + QLatin1Char('/')
        + QString::number(text.bold) + QLatin1Char('/') + QString::number(unitsPerInch) + QLatin1Char('/')
        + QString::number(dpi);
    const QString key = fontKey + QLatin1Char('\n') + text.text;
    auto found = m_shaped.constFind(key);
    if (found != m_shaped.constEnd())
        return *found;

    auto font = m_fonts.find(fontKey);
    if (font == m_fonts.end()) {
        QFont f;
        f.setFamilies(pageFontFamilies(text.fontName));
        // A point is 1/72 inch of the page whatever the painter's scale; Qt
        // turns points into device units with the device's own resolution.
        f.setPointSizeF(text.fontSize * unitsPerInch / dpi);
        f.setBold(text.bold);
        f.setKerning(false);
        font = m_fonts.insert(fontKey, f);
    }

    QTextLayout layout(text.text, *font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    // Trailing blanks count: the layout uses them to shift centred and
    // right-aligned text.
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    line.setPosition(QPointF(0, 0));
    layout.endLayout();

    if (m_shaped.size() >= kShapedCacheLimit)
        m_shaped.clear();
    Shaped shaped;
    shaped.runs = layout.glyphRuns();
    shaped.advance = line.naturalTextWidth();
    shaped.ascent = line.ascent();
    return *m_shaped.insert(key, shaped);
}

void PageRenderer::drawPage(QPainter &painter, const Page &page, double unitsPerInch)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 0.01 * unitsPerInch, Qt::SolidLine, Qt::SquareCap));
    for (const PageLine &line : page.lines)
        painter.drawLine(QPointF(line.x1, line.y1) * unitsPerInch, QPointF(line.x2, line.y2) * unitsPerInch);

    for (const PageText &text : page.texts) {
        const Shaped &shaped = shape(text, unitsPerInch, painter.device());
        const double left = text.left * unitsPerInch;
        const double width = text.width * unitsPerInch;
        double x = left;
        if (text.alignment == PageText::Right)
            x = left + width - shaped.advance;
        else if (text.alignment == PageText::Centre)
            x = left + (width - shaped.advance) / 2;
        // The layout puts each 0.3-inch box 0.1 inch over the rule below it:
        // it was made for a one-em line (SimSun's metrics) at the top of the
        // box, which then sits in the middle of its ruled row. Centring
        // Noto's taller line in the box would set the text on the rule.
        const double em = text.fontSize / 72.0 * unitsPerInch;
        const double baseline = text.top * unitsPerInch + kBaseline * em;
        for (const QGlyphRun &run : shaped.runs)
            painter.drawGlyphRun(QPointF(x, baseline - shaped.ascent), run);
    }
    painter.restore();
}

} // namespace tarvex
