#include "core/document/pagerenderer.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace tarvex {

namespace {

// SimSun's ascent in ems: where the baseline of a one-em line lies.
constexpr double kBaseline = 0.86;
// How far above the baseline the middle of an ideograph lies, in ems.
constexpr double kMiddle = 0.38;
// Distance of the baselines of a wrapped text, in ems.
constexpr double kLinePitch = 1.15;
// Room kept between a text and the rules of its cell, in inches.
constexpr double kCellPadding = 0.03;
// Steps in which a text too wide for its cell is made smaller, in points.
constexpr double kShrinkStep = 0.5;
// Texts kept; a big document repeats most of its texts.
constexpr int kCacheLimit = 50000;

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

} // namespace

bool PageRenderer::PlaceKey::operator==(const PlaceKey &o) const
{
    return text == o.text && fontName == o.fontName && fontSize == o.fontSize && bold == o.bold
        && alignment == o.alignment && width == o.width && cellLeft == o.cellLeft && cellRight == o.cellRight
        && cellTop == o.cellTop && cellBottom == o.cellBottom && unitsPerInch == o.unitsPerInch && dpi == o.dpi;
}

size_t qHash(const PageRenderer::PlaceKey &k, size_t seed)
{
    return qHashMulti(
        seed, k.text, k.fontName, k.fontSize, k.alignment, k.width, k.cellLeft, k.cellRight, k.unitsPerInch, k.dpi);
}

QStringList pageFontFamilies(const QString &fontName)
{
    if (fontName == QStringLiteral("宋体") || fontName.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"), fontName};
    return {fontName, QStringLiteral("Noto Serif CJK SC")};
}

const QFont &PageRenderer::font(const PageText &text, double pointSize, double unitsPerInch, int dpi)
{
    const QString key = text.fontName + QLatin1Char('/') + number(pointSize) + QLatin1Char('/')
        + QString::number(text.bold) + QLatin1Char('/') + number(unitsPerInch) + QLatin1Char('/')
        + QString::number(dpi);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        QFont f;
        f.setFamilies(pageFontFamilies(text.fontName));
        // A point is 1/72 inch of the page whatever the painter's scale; Qt
        // turns points into device units with the device's own resolution.
        f.setPointSizeF(pointSize * unitsPerInch / dpi);
        f.setBold(text.bold);
        f.setKerning(false);
        // Glyphs straight from the font's character map: shaping swaps
        // digits next to Latin letters for variants that no character maps
        // to, and a PDF then loses them from its text ("Kg/m2" -> "Kg/m").
        f.setStyleStrategy(QFont::PreferNoShaping);
        found = m_fonts.insert(key, f);
    }
    return *found;
}

const PageRenderer::Shaped &PageRenderer::shape(const QString &text, const QFont &font, const QPaintDevice *device)
{
    const QString key = font.key() + QLatin1Char('\n') + text;
    auto found = m_shaped.constFind(key);
    if (found != m_shaped.constEnd())
        return *found;

    QTextLayout layout(text, font, device);
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

    if (m_shaped.size() >= kCacheLimit)
        m_shaped.clear();
    Shaped shaped;
    shaped.runs = layout.glyphRuns();
    shaped.advance = line.naturalTextWidth();
    int inked = int(text.size());
    while (inked > 0 && text.at(inked - 1).isSpace())
        --inked;
    shaped.ink = line.cursorToX(inked);
    shaped.ascent = line.ascent();
    noteDrawn(text, shaped.runs);
    return *m_shaped.insert(key, shaped);
}

QStringList PageRenderer::wrap(
    const QString &text, const QFont &font, double width, int maxLines, const QPaintDevice *device) const
{
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            // The last line that fits takes the rest, cut short.
            const QString rest = text.mid(line.textStart()).trimmed();
            lines.append(QFontMetricsF(font, device).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

void PageRenderer::noteDrawn(const QString &text, const QList<QGlyphRun> &runs)
{
    for (const QGlyphRun &run : runs) {
        const QRawFont raw = run.rawFont();
        FontUse &use = m_used[raw.familyName() + QLatin1Char('/') + raw.styleName()];
        if (!use.font.isValid())
            use.font = raw;
        for (QChar c : text) {
            if (c.isSpace() || c.isSurrogate() || use.drawn.contains(c.unicode()))
                continue;
            use.drawn.insert(c.unicode());
            m_drawn.insert(c.unicode());
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString(c));
            if (glyphs.size() == 1 && glyphs[0] != 0 && !use.byGlyph.contains(glyphs[0]))
                use.byGlyph.insert(glyphs[0], c.unicode());
        }
    }
}

char16_t PageRenderer::drawnCharacterFor(char16_t code) const
{
    if (m_drawn.contains(code))
        return code;
    const QString text(QChar {code});
    for (const FontUse &use : m_used) {
        const QList<quint32> glyphs = use.font.glyphIndexesForString(text);
        if (glyphs.size() == 1 && glyphs[0] != 0) {
            const auto drawn = use.byGlyph.constFind(glyphs[0]);
            if (drawn != use.byGlyph.constEnd())
                return *drawn;
        }
    }
    return code;
}

PageRenderer::Placed PageRenderer::place(const PageText &text, double unitsPerInch, const QPaintDevice *device)
{
    const int dpi = device ? device->logicalDpiY() : 72;
    const double u = unitsPerInch;
    const QPointF origin(text.left * u, text.top * u);
    const PageBox &cell = text.cell;
    const PlaceKey key {text.text, text.fontName, text.fontSize, text.bold, text.alignment, text.width,
        cell.left - text.left, cell.right - text.left, cell.top - text.top, cell.bottom - text.top, u, dpi};

    auto found = m_placed.constFind(key);
    if (found == m_placed.constEnd()) {
        // Worked out with the text's box at the origin, moved at the end.
        const double width = text.width * u;
        const bool fitted = !cell.isEmpty();
        // A box that starts on its rule (the area line) keeps its text there.
        const double low = (std::clamp(text.left, cell.left, cell.left + kCellPadding) - text.left) * u;
        const double high = (cell.right - text.left - kCellPadding) * u;
        const double nominalEm = text.fontSize / 72.0 * u;
        const double middle = (kBaseline - kMiddle) * nominalEm; // of the line, below the box top

        auto startOf = [&](double advance) {
            if (text.alignment == PageText::Right)
                return width - advance;
            if (text.alignment == PageText::Centre)
                return (width - advance) / 2;
            return 0.0;
        };
        auto line = [&](const QString &lineText, const Shaped &s, double x, double baseline) {
            return Placed::Line {lineText, s.runs, QPointF(x, baseline - s.ascent), x, x + s.ink};
        };

        Placed placed;
        // One line, at the text's size or as much smaller as it needs.
        for (double size = text.fontSize; size >= std::min(kMinimumPointSize, text.fontSize) - 1e-9;
             size -= kShrinkStep) {
            const QFont &f = font(text, size, u, dpi);
            const Shaped &s = shape(text.text, f, device);
            const double x = startOf(s.advance);
            if (!fitted || (x >= low - 1e-6 && x + s.ink <= high + 1e-6)) {
                placed.pointSize = size;
                placed.lines.append(line(text.text, s, x, middle + kMiddle * size / 72.0 * u));
                break;
            }
        }
        if (placed.lines.isEmpty()) {
            // Still too wide: wrapped at the smallest size, as many lines as
            // the cell holds, the last one cut short.
            const double size = std::min(kMinimumPointSize, text.fontSize);
            const double em = size / 72.0 * u;
            const double pitch = kLinePitch * em;
            const double cellHeight = (cell.bottom - cell.top) * u;
            const int maxLines = std::clamp(1 + int(std::floor((cellHeight - em) / pitch)), 1, 3);
            const QFont &f = font(text, size, u, dpi);
            const QStringList lines = wrap(text.text, f, high - low, maxLines, device);
            const double centre = cellHeight > em ? ((cell.top + cell.bottom) / 2 - text.top) * u : middle;
            placed.pointSize = size;
            for (int i = 0; i < lines.size(); ++i) {
                const Shaped &s = shape(lines[i], f, device);
                double x = low;
                if (text.alignment == PageText::Right)
                    x = high - s.ink;
                else if (text.alignment == PageText::Centre)
                    x = (low + high - s.ink) / 2;
                const double baseline = centre + kMiddle * em + (i - (lines.size() - 1) / 2.0) * pitch;
                placed.lines.append(line(lines[i], s, x, baseline));
            }
        }
        if (m_placed.size() >= kCacheLimit)
            m_placed.clear();
        found = m_placed.insert(key, placed);
    }

    Placed placed = *found;
    for (Placed::Line &line : placed.lines) {
        line.origin += origin;
        line.left += origin.x();
        line.right += origin.x();
    }
    return placed;
}

void PageRenderer::drawPage(QPainter &painter, const Page &page, double unitsPerInch)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PageImage &image : page.images) {
        const QRectF box(image.left * unitsPerInch, image.top * unitsPerInch, image.width * unitsPerInch,
            image.height * unitsPerInch);
        painter.drawImage(box, image.image);
    }
    painter.setPen(QPen(Qt::black, 0.01 * unitsPerInch, Qt::SolidLine, Qt::SquareCap));
    for (const PageLine &line : page.lines)
        painter.drawLine(QPointF(line.x1, line.y1) * unitsPerInch, QPointF(line.x2, line.y2) * unitsPerInch);

    // The layout puts each 0.3-inch box 0.1 inch over the rule below it: it
    // was made for a one-em line (SimSun's metrics) at the top of the box,
    // which then sits in the middle of its ruled row. Centring Noto's taller
    // line in the box would set the text on the rule.
    for (const PageText &text : page.texts) {
        for (const Placed::Line &line : place(text, unitsPerInch, painter.device()).lines) {
            for (const QGlyphRun &run : line.runs)
                painter.drawGlyphRun(line.origin, run);
        }
    }
    painter.restore();
}

} // namespace tarvex
