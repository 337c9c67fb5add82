#include "core/cutting/cutpages.h"

#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/cutting/cutsummary.h"

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
constexpr double kSummaryWidths[] = {0.85, 1.2, 0.55, 0.6, 0.7, 0.7, 0.65, 0.65, 0.75, 0.0};

// A bar's strip and the number before it.
constexpr double kStripLeft = 1.0;
constexpr double kStripHeight = 0.3;
constexpr double kStripPitch = 0.45;
constexpr double kHatchSpacing = 0.07;

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
    return QStringLiteral("默认定尺 ") + format3(plan.settings.stock) + QStringLiteral("m   锯缝 ")
        + formatCutLength(plan.settings.kerf) + QStringLiteral("m   端头切除 ") + formatCutLength(plan.settings.trim)
        + QStringLiteral("m   用料 ") + QString::number(plan.barCount()) + QStringLiteral(" 根   理论最少 ")
        + QString::number(plan.lowerBoundTotal()) + QStringLiteral(" 根");
}

void summaryPages(Layout &page, const CutPlan &plan)
{
    const int columns = int(cutSummaryHeadings().size());
    page.newPage();
    page.text(QStringLiteral("下料优化"), kLeft, kRight - kLeft, PageText::Centre, 16, true);
    page.advance(kRow + 0.05);
    page.text(settingsLine(plan), kLeft, kRight - kLeft, PageText::Left);
    page.advance(kRow + 0.1);
    auto heading = [&] {
        page.rule(page.y());
        page.tableRow(cutSummaryHeadings(), kSummaryWidths, columns, true);
    };
    heading();
    for (const CodePlan &code : plan.codes) {
        if (page.y() + kRow > kBottom) {
            page.newPage();
            heading();
        }
        page.tableRow(cutSummaryTexts(code), kSummaryWidths, columns, false);
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

QString codeHeading(const CodePlan &code)
{
    QString text = QStringLiteral("代号 ") + code.code;
    if (!code.name.isEmpty())
        text += QStringLiteral("  ") + code.name;
    text += QStringLiteral("   定尺 ") + format3(code.stockMetres()) + QStringLiteral("m   用料 ")
        + QString::number(code.bars.size()) + QStringLiteral(" 根   理论最少 ") + QString::number(code.lowerBound())
        + QStringLiteral(" 根");
    if (code.proven())
        text += QStringLiteral(" (已证最少)");
    return text;
}

void strip(Layout &page, const CodePlan &code, const CutBar &bar, int number, const CutSettings &settings)
{
    const double y1 = page.y();
    const double y2 = y1 + kStripHeight;
    const double scale = (kRight - kStripLeft) / double(code.stock);
    page.text(QString::number(number), kLeft, kStripLeft - kLeft - 0.08, PageText::Right, 8, false, kStripHeight);
    for (const BarSegment &s : barSegments(code, bar, settings)) {
        const double x1 = kStripLeft + double(s.start) * scale;
        const double x2 = kStripLeft + double(s.start + s.length) * scale;
        switch (s.kind) {
        case BarSegment::Piece:
            page.box(x1, y1, x2, y2);
            page.text(
                pieceLabel(code.pieces[s.piece]), x1 + 0.02, x2 - x1 - 0.04, PageText::Centre, 7, false, kStripHeight);
            break;
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

void codePages(Layout &page, const CodePlan &code, const CutSettings &settings)
{
    page.newPage();
    page.text(codeHeading(code), kLeft, kRight - kLeft, PageText::Left, 11, true);
    page.advance(kRow + 0.15);
    for (int b = 0; b < code.bars.size(); ++b) {
        page.need(kStripPitch);
        strip(page, code, code.bars[b], b + 1, settings);
    }

    // The list: one row per bar.
    constexpr double widths[] = {0.55, 5.9, 0.0};
    const QStringList headings
        = {QStringLiteral("根号"), QStringLiteral("切割 (长度m/窗号)"), QStringLiteral("余料 m")};
    page.need(3 * kRow);
    page.advance(0.1);
    page.text(QStringLiteral("下料清单 ") + code.code, kLeft, kRight - kLeft, PageText::Left, 10, true);
    page.advance(kRow);
    auto heading = [&] {
        page.rule(page.y());
        page.tableRow(headings, widths, 3, true);
    };
    heading();
    for (int b = 0; b < code.bars.size(); ++b) {
        if (page.y() + kRow > kBottom) {
            page.newPage();
            heading();
        }
        const CutBar &bar = code.bars[b];
        page.tableRow(
            {QString::number(b + 1), barCutsText(code, bar), format3(fromCutUnits(bar.offcut))}, widths, 3, false);
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
    if (bar.offcut > 0)
        segments.append({BarSegment::Offcut, x, bar.offcut, -1});
    return segments;
}

QString pieceLabel(const CutPiece &piece)
{
    return piece.window.isEmpty() ? formatCutLength(piece.length)
                                  : formatCutLength(piece.length) + QLatin1Char(' ') + piece.window;
}

QString barCutsText(const CodePlan &code, const CutBar &bar)
{
    QStringList parts;
    for (int i : bar.cuts) {
        const CutPiece &p = code.pieces[i];
        parts.append(formatCutLength(p.length) + QLatin1Char('(') + p.window + QLatin1Char(')'));
    }
    return parts.join(QStringLiteral(" + "));
}

PageDocument cutPlanPages(const CutPlan &plan)
{
    if (plan.codes.isEmpty() && plan.tooLong.isEmpty() && plan.invalid.isEmpty())
        throw Error(QStringLiteral("没有可以下料的主材(工程中没有主材切割数据)"));
    PageDocument doc;
    Layout page(doc);
    summaryPages(page, plan);
    for (const CodePlan &code : plan.codes)
        codePages(page, code, plan.settings);

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
