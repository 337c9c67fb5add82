#include "core/cutting/cutpages.h"

#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/cutting/cutsummary.h"
#include "core/cutting/remnants.h"

#include <algorithm>

namespace tarvex {

namespace {

const QString kFont = QStringLiteral("宋体");
constexpr double kLeft = 0.6;
constexpr double kRight = 7.9;
constexpr double kTop = 0.6;
constexpr double kBottom = 10.2; // the body ends here; the footer lies below
constexpr double kRow = 0.3;
// Where the renderer sets the middle of a line's ideographs, in ems below the
// top of its box, and the room kept beside the rules of a cell.
constexpr double kTextMiddle = 0.48;
constexpr double kCellInset = 0.05;

// Summary columns: widths in inches, 7.3 in all.
constexpr double kSummaryWidths[] = {0.8, 1.1, 0.5, 0.6, 0.6, 0.6, 0.6, 0.7, 0.75, 0.55, 0.0};

// A bar's strip and the number before it; the labels of its pieces.
constexpr double kStripLeft = 1.0;
constexpr double kStripHeight = 0.34;
constexpr double kStripPitch = 0.5;
constexpr double kHatchSpacing = 0.07;
constexpr double kLabelSize = 9;

// The list of a code's bars: its columns, its type, and the pitch of the
// lines of a row whose cuts take more than one.
constexpr double kListWidths[] = {0.5, 1.1, 4.8, 0.0};
constexpr double kListSize = 10;
constexpr double kListLine = 0.22;

class Layout {
public:
    explicit Layout(PageDocument &doc)
        : m_doc(doc)
    {
    }

    double y() const { return m_y; }
    void newPage()
    {
        m_doc.addPage();
        m_y = kTop;
    }
    // Room for height more on this page, else a new one.
    void need(double height)
    {
        if (m_doc.pages.isEmpty() || m_y + height > kBottom)
            newPage();
    }
    void advance(double height) { m_y += height; }

    void text(const QString &t, double left, double width, int alignment, double size = 10, bool bold = false,
        double height = kRow)
    {
        m_doc.setFont(kFont, size, bold);
        cellText(t, {left, m_y, left + width, m_y + height}, alignment, size);
    }
    void rule(double y) { m_doc.drawLine(kLeft, y, kRight, y); }

    // A table row of cells between vertical rules, ruled below.
    void tableRow(const QStringList &cells, const double *widths, int count, bool heading)
    {
        double x = kLeft;
        m_doc.setFont(kFont, heading ? 9 : 9, heading);
        for (int c = 0; c < count; ++c) {
            const double w = widths[c] > 0 ? widths[c] : kRight - x;
            const int align = heading || c < 2 ? PageText::Centre : PageText::Right;
            cellText(c < cells.size() ? cells[c] : QString(), {x, m_y, x + w, m_y + kRow},
                c < 2 && !heading ? PageText::Left : align, 9);
            m_doc.drawLine(x, m_y, x, m_y + kRow);
            x += w;
        }
        m_doc.drawLine(kRight, m_y, kRight, m_y + kRow);
        m_doc.drawLine(kLeft, m_y + kRow, kRight, m_y + kRow);
        m_y += kRow;
    }

    // A row of the bar list: each cell's lines one under the other, the row
    // as high as its longest cell.
    void listRow(const QList<QStringList> &cells, const double *widths, int count)
    {
        int lines = 1;
        for (const QStringList &c : cells)
            lines = std::max(lines, int(c.size()));
        const double height = kRow + (lines - 1) * kListLine;
        m_doc.setFont(kFont, kListSize, false);
        double x = kLeft;
        for (int c = 0; c < count; ++c) {
            const double w = widths[c] > 0 ? widths[c] : kRight - x;
            const int align = c == 2 ? PageText::Left : c == count - 1 ? PageText::Right : PageText::Centre;
            const QStringList &texts = cells[c];
            for (int l = 0; l < texts.size(); ++l) {
                const double top = m_y + l * kListLine;
                cellText(texts[l], {x, top, x + w, top + kRow}, align, kListSize);
            }
            m_doc.drawLine(x, m_y, x, m_y + height);
            x += w;
        }
        m_doc.drawLine(kRight, m_y, kRight, m_y + height);
        m_doc.drawLine(kLeft, m_y + height, kRight, m_y + height);
        m_y += height;
    }

    void box(double x1, double y1, double x2, double y2)
    {
        m_doc.drawLine(x1, y1, x2, y1);
        m_doc.drawLine(x2, y1, x2, y2);
        m_doc.drawLine(x2, y2, x1, y2);
        m_doc.drawLine(x1, y2, x1, y1);
    }

    // Diagonal lines across a rectangle: what is left of the bar.
    void hatch(double x1, double y1, double x2, double y2)
    {
        const double h = y2 - y1;
        for (double d = -h; d < x2 - x1; d += kHatchSpacing) {
            double ax = x1 + d, ay = y2, bx = x1 + d + h, by = y1;
            if (ax < x1) {
                ay -= x1 - ax;
                ax = x1;
            }
            if (bx > x2) {
                by += bx - x2;
                bx = x2;
            }
            if (bx - ax > 0.005)
                m_doc.drawLine(ax, ay, bx, by);
        }
    }

private:
    // A one-line text sits with the middle of its ideographs in the middle
    // of the cell, clear of the rules on either side.
    void cellText(const QString &t, const PageBox &cell, int alignment, double size)
    {
        const double top = (cell.top + cell.bottom) / 2 - kTextMiddle * size / 72.0;
        m_doc.drawText(t, cell.left + kCellInset, top, cell.right - cell.left - 2 * kCellInset, cell.bottom - cell.top,
            alignment, cell);
    }

    PageDocument &m_doc;
    double m_y = kTop;
};

QString settingsLine(const CutPlan &plan)
{
    const CutUnit unit = plan.settings.unit;
    const QString u = QLatin1Char(' ') + unitName(unit);
    QString text = QStringLiteral("默认定尺 ") + formatPlanLength(plan.settings.stock, unit) + u
        + QStringLiteral("   锯缝 ") + formatPlanLength(plan.settings.kerf, unit) + u + QStringLiteral("   端头切除 ")
        + formatPlanLength(plan.settings.trim, unit) + u + QStringLiteral("   用料 ") + QString::number(plan.barCount())
        + QStringLiteral(" 根   理论最少 ") + QString::number(plan.lowerBoundTotal()) + QStringLiteral(" 根");
    int remnants = 0;
    for (const CodePlan &code : plan.codes)
        remnants += code.remnantBars();
    if (remnants > 0)
        text += QStringLiteral("   取余料 ") + QString::number(remnants) + QStringLiteral(" 根");
    return text;
}

void summaryPages(Layout &page, const CutPlan &plan)
{
    const CutUnit unit = plan.settings.unit;
    const int columns = int(cutSummaryHeadings(unit).size());
    page.newPage();
    page.text(QStringLiteral("下料优化"), kLeft, kRight - kLeft, PageText::Centre, 16, true);
    page.advance(kRow + 0.05);
    page.text(settingsLine(plan), kLeft, kRight - kLeft, PageText::Left);
    page.advance(kRow + 0.1);
    auto heading = [&] {
        page.rule(page.y());
        page.tableRow(cutSummaryHeadings(unit), kSummaryWidths, columns, true);
    };
    heading();
    for (const CodePlan &code : plan.codes) {
        if (page.y() + kRow > kBottom) {
            page.newPage();
            heading();
        }
        page.tableRow(cutSummaryTexts(code, unit), kSummaryWidths, columns, false);
    }
    page.need(kRow);
    page.tableRow(cutTotalTexts(plan), kSummaryWidths, columns, false);

    auto listPieces = [&](const QString &title, const QVector<CutPiece> &pieces) {
        if (pieces.isEmpty())
            return;
        page.need(2 * kRow);
        page.advance(0.15);
        page.text(title + QStringLiteral(" (") + QString::number(pieces.size()) + QStringLiteral(")"), kLeft,
            kRight - kLeft, PageText::Left, 10, true);
        page.advance(kRow);
        for (const CutPiece &piece : pieces) {
            page.need(kRow);
            page.text(describePiece(piece) + QStringLiteral("  ") + piece.series, kLeft + 0.2, kRight - kLeft - 0.2,
                PageText::Left, 9);
            page.advance(0.25);
        }
    };
    listPieces(QStringLiteral("超过定尺、未排入下料的切割"), plan.tooLong);
    listPieces(QStringLiteral("长度无效、未排入下料的切割"), plan.invalid);
    for (const QString &warning : plan.warnings) {
        page.need(kRow);
        page.text(warning, kLeft, kRight - kLeft, PageText::Left, 9);
        page.advance(0.25);
    }
}

QString codeHeading(const CodePlan &code, CutUnit unit)
{
    QString text = QStringLiteral("代号 ") + code.code;
    if (!code.name.isEmpty())
        text += QStringLiteral("  ") + code.name;
    text += QStringLiteral("   定尺 ") + formatPlanLength(code.stockMetres(), unit) + QLatin1Char(' ') + unitName(unit)
        + QStringLiteral("   用料 ") + QString::number(code.newBars()) + QStringLiteral(" 根   理论最少 ")
        + QString::number(code.lowerBound()) + QStringLiteral(" 根");
    if (code.proven())
        text += QStringLiteral(" (已证最少)");
    if (code.remnantBars() > 0)
        text += QStringLiteral("   取余料 ") + QString::number(code.remnantBars()) + QStringLiteral(" 根");
    return text;
}

// The longest bar of a code: the scale of its strips.
qint64 longestBar(const CodePlan &code)
{
    qint64 longest = code.stock;
    for (const CutBar &bar : code.bars)
        longest = std::max(longest, bar.length);
    return longest;
}

// The label of a piece as far as it fits its box: with its window, the
// length alone, or nothing (the list below names every cut).
QString fittedLabel(const CutPiece &piece, const CutPlan &plan, double width)
{
    for (const QString &label : {pieceLabel(piece, plan), formatPlanLength(piece.length, plan.settings.unit)})
        if (textWidthBound(label, kLabelSize) <= width)
            return label;
    return QString();
}

void strip(Layout &page, const CodePlan &code, const CutBar &bar, int number, const CutPlan &plan)
{
    const double y1 = page.y();
    const double y2 = y1 + kStripHeight;
    const double scale = (kRight - kStripLeft) / double(longestBar(code));
    page.text(QString::number(number), kLeft, kStripLeft - kLeft - 0.08, PageText::Right, 9, false, kStripHeight);
    for (const BarSegment &s : barSegments(code, bar, plan.settings)) {
        const double x1 = kStripLeft + double(s.start) * scale;
        const double x2 = kStripLeft + double(s.start + s.length) * scale;
        switch (s.kind) {
        case BarSegment::Piece: {
            page.box(x1, y1, x2, y2);
            const double room = x2 - x1 - 0.06;
            page.text(fittedLabel(code.pieces[s.piece], plan, room), x1 + 0.03, room, PageText::Centre, kLabelSize,
                false, kStripHeight);
            break;
        }
        case BarSegment::Trim:
        case BarSegment::Offcut:
            page.box(x1, y1, x2, y2);
            page.hatch(x1, y1, x2, y2);
            break;
        case BarSegment::Kerf:
            break;
        }
    }
    page.advance(kStripPitch);
}

void codePages(Layout &page, const CodePlan &code, const CutPlan &plan)
{
    const CutUnit unit = plan.settings.unit;
    page.newPage();
    page.text(codeHeading(code, unit), kLeft, kRight - kLeft, PageText::Left, 11, true);
    page.advance(kRow + 0.1);
    // The remnants to fetch before cutting.
    for (int b = 0; b < code.bars.size(); ++b) {
        if (const std::optional<Remnant> &r = code.bars[b].remnant) {
            page.need(kRow);
            page.text(QStringLiteral("第%1根: ").arg(b + 1) + fetchText(code.code, *r, unit), kLeft + 0.2,
                kRight - kLeft - 0.2, PageText::Left, 10);
            page.advance(0.26);
        }
    }
    page.advance(0.05);
    for (int b = 0; b < code.bars.size(); ++b) {
        page.need(kStripPitch);
        strip(page, code, code.bars[b], b + 1, plan);
    }

    // The list: one row per bar, every cut in it.
    const QString u = unitName(unit);
    const QList<QStringList> headings = {{QStringLiteral("根号")}, {QStringLiteral("来料 ") + u},
        {QStringLiteral("切割 (长度") + u + QStringLiteral("/窗号)")}, {QStringLiteral("余料 ") + u}};
    page.need(3 * kRow);
    page.advance(0.1);
    page.text(QStringLiteral("下料清单 ") + code.code, kLeft, kRight - kLeft, PageText::Left, 11, true);
    page.advance(kRow);
    auto heading = [&] {
        page.rule(page.y());
        page.listRow(headings, kListWidths, 4);
    };
    heading();
    const double cutsWidth = kListWidths[2] - 2 * 0.06;
    for (int b = 0; b < code.bars.size(); ++b) {
        const CutBar &bar = code.bars[b];
        const QStringList lines = wrapParts(barCutTexts(code, bar, plan), QStringLiteral(" + "), cutsWidth, kListSize);
        const double height = kRow + (lines.size() - 1) * kListLine;
        if (page.y() + height > kBottom) {
            page.newPage();
            heading();
        }
        const QString source = bar.remnant ? QStringLiteral("余料 ") + formatPlanLength(bar.remnant->length, unit)
                                           : formatPlanLength(fromCutUnits(bar.length), unit);
        page.listRow({{QString::number(b + 1)}, {source}, lines, {formatPlanLength(fromCutUnits(bar.offcut), unit)}},
            kListWidths, 4);
    }
}

} // namespace

QVector<BarSegment> barSegments(const CodePlan &code, const CutBar &bar, const CutSettings &settings)
{
    QVector<BarSegment> segments;
    const qint64 trim = toCutUnits(settings.trim);
    const qint64 kerf = toCutUnits(settings.kerf);
    qint64 x = 0;
    if (trim > 0) {
        segments.append({BarSegment::Trim, 0, trim, -1});
        x = trim;
    }
    for (int k = 0; k < bar.cuts.size(); ++k) {
        if (k > 0 && kerf > 0) {
            segments.append({BarSegment::Kerf, x, kerf, -1});
            x += kerf;
        }
        const qint64 length = toCutUnits(code.pieces[bar.cuts[k]].length);
        segments.append({BarSegment::Piece, x, length, bar.cuts[k]});
        x += length;
    }
    // The cut that parts the offcut from the last piece takes a kerf too.
    const qint64 rest = bar.length - x;
    if (rest > 0 && kerf > 0)
        segments.append({BarSegment::Kerf, x, std::min(kerf, rest), -1});
    if (bar.offcut > 0)
        segments.append({BarSegment::Offcut, bar.length - bar.offcut, bar.offcut, -1});
    return segments;
}

QString pieceLabel(const CutPiece &piece, const CutPlan &plan)
{
    const QString length = formatPlanLength(piece.length, plan.settings.unit);
    const QString window = pieceWindow(piece, plan);
    return window.isEmpty() ? length : length + QLatin1Char(' ') + window;
}

QStringList barCutTexts(const CodePlan &code, const CutBar &bar, const CutPlan &plan)
{
    QStringList parts;
    for (int i : bar.cuts) {
        const CutPiece &p = code.pieces[i];
        parts.append(formatPlanLength(p.length, plan.settings.unit) + QLatin1Char('(') + pieceWindow(p, plan)
            + QLatin1Char(')'));
    }
    return parts;
}

double textWidthBound(const QString &text, double pointSize)
{
    double ems = 0;
    for (const QChar c : text)
        ems += c.unicode() < 0x2000 ? 0.6 : 1.0;
    return ems * pointSize / 72.0;
}

QStringList wrapParts(const QStringList &parts, const QString &sep, double width, double pointSize)
{
    QStringList lines;
    QString line;
    for (const QString &part : parts) {
        const QString longer = line.isEmpty() ? part : line + sep + part;
        if (!line.isEmpty() && textWidthBound(longer, pointSize) > width) {
            lines.append(line + sep.trimmed());
            line = part;
        } else {
            line = longer;
        }
    }
    lines.append(line);
    return lines;
}

PageDocument cutPlanPages(const CutPlan &plan)
{
    if (plan.codes.isEmpty() && plan.tooLong.isEmpty() && plan.invalid.isEmpty())
        throw Error(QStringLiteral("没有可以下料的主材(工程中没有主材切割数据)"));
    PageDocument doc;
    Layout page(doc);
    summaryPages(page, plan);
    for (const CodePlan &code : plan.codes)
        codePages(page, code, plan);

    doc.setFont(kFont, 9, false);
    const QString count = QString::number(doc.pages.size());
    for (int k = 0; k < doc.pages.size(); ++k) {
        const QString footer = QStringLiteral("共") + count + QStringLiteral("页,第") + QString::number(k + 1)
            + QStringLiteral("页    ");
        doc.drawTextOn(k, footer, kLeft, 10.55 - kTextMiddle * 9 / 72.0, kRight - kLeft, kRow, PageText::Right,
            {kLeft, 10.4, kRight, 10.7});
    }
    return doc;
}

} // namespace tarvex
