#include "gui/cutting/cutbarsview.h"

#include "core/cutting/cutpages.h"

#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

namespace tarvex {

namespace {

constexpr int kNumberWidth = 44;
constexpr int kMargin = 8;
const QColor kPieceColours[] = {QColor(0xdc, 0xe9, 0xf7), QColor(0xe4, 0xf2, 0xdc)};
const QColor kOffcutColour(0xf4, 0xe3, 0xc8);

} // namespace

CutBarsView::CutBarsView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFont(QFont(QStringLiteral("宋体"), 9));
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

int CutBarsView::rowHeight() const
{
    return fontMetrics().height() * 2 + 10;
}

void CutBarsView::setCode(const CodePlan &code, const CutPlan &plan)
{
    m_code = code;
    m_plan.settings = plan.settings;
    m_plan.sharedWindows = plan.sharedWindows;
    verticalScrollBar()->setValue(0);
    updateScrollBar();
    viewport()->update();
}

void CutBarsView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void CutBarsView::updateScrollBar()
{
    // The scroll bar counts bars, one step a bar.
    const int visible = qMax(1, viewport()->height() / rowHeight());
    verticalScrollBar()->setRange(0, qMax(0, int(m_code.bars.size()) - visible));
    verticalScrollBar()->setPageStep(visible);
}

void CutBarsView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const int first = verticalScrollBar()->value();
    const int height = rowHeight();
    for (int i = first, y = 0; i < m_code.bars.size() && y < viewport()->height(); ++i, y += height)
        paintBar(painter, i, QRect(0, y, viewport()->width(), height));
}

void CutBarsView::paintBar(QPainter &painter, int index, const QRect &row)
{
    const CutBar &bar = m_code.bars[index];
    const QRect strip(
        kNumberWidth + kMargin, row.top() + 5, row.width() - kNumberWidth - 2 * kMargin, row.height() - 10);
    painter.setPen(palette().color(QPalette::Text));
    const QString number = bar.remnant ? QStringLiteral("余") + QString::number(index + 1) : QString::number(index + 1);
    painter.drawText(QRect(0, row.top(), kNumberWidth, row.height()), Qt::AlignRight | Qt::AlignVCenter, number);
    qint64 longest = m_code.stock;
    for (const CutBar &b : m_code.bars)
        longest = std::max(longest, b.length);
    if (strip.width() <= 0 || longest <= 0)
        return;
    const double scale = double(strip.width()) / double(longest);
    auto xOf = [&](qint64 units) { return strip.left() + int(std::lround(double(units) * scale)); };
    int colour = 0;
    const CutUnit unit = m_plan.settings.unit;
    for (const BarSegment &s : barSegments(m_code, bar, m_plan.settings)) {
        const QRect box(xOf(s.start), strip.top(), qMax(1, xOf(s.start + s.length) - xOf(s.start)), strip.height());
        switch (s.kind) {
        case BarSegment::Piece: {
            painter.fillRect(box, kPieceColours[colour++ % 2]);
            painter.setPen(QColor(0x50, 0x60, 0x70));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            const CutPiece &piece = m_code.pieces[s.piece];
            const QRect text = box.adjusted(2, 0, -2, 0);
            painter.setPen(palette().color(QPalette::Text));
            // Length above the window code, each cut short to the box.
            const QFontMetrics metrics = fontMetrics();
            const QString length
                = metrics.elidedText(formatPlanLength(piece.length, unit), Qt::ElideRight, text.width());
            const QString window = metrics.elidedText(pieceWindow(piece, m_plan), Qt::ElideRight, text.width());
            painter.drawText(text.adjusted(0, 0, 0, -text.height() / 2), Qt::AlignCenter, length);
            painter.drawText(text.adjusted(0, text.height() / 2, 0, 0), Qt::AlignCenter, window);
            break;
        }
        case BarSegment::Trim:
        case BarSegment::Offcut:
            painter.fillRect(box, kOffcutColour);
            painter.fillRect(box, QBrush(QColor(0x9a, 0x7a, 0x50), Qt::BDiagPattern));
            painter.setPen(QColor(0x50, 0x60, 0x70));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            if (s.kind == BarSegment::Offcut) {
                const QString text = formatPlanLength(fromCutUnits(s.length), unit);
                if (fontMetrics().horizontalAdvance(text) + 4 < box.width()) {
                    painter.setPen(palette().color(QPalette::Text));
                    painter.drawText(box, Qt::AlignCenter, text);
                }
            }
            break;
        case BarSegment::Kerf:
            painter.fillRect(box, QColor(0x30, 0x30, 0x30));
            break;
        }
    }
}

} // namespace tarvex
