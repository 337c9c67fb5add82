#include "core/document/pagedocument.h"

#include "core/common/error.h"

namespace tarvex {

void PageDocument::setFont(const QString &name, double size, bool bold)
{
    m_fontName = name;
    m_fontSize = size;
    m_bold = bold;
}

void PageDocument::drawText(
    const QString &text, double left, double top, double width, double height, int alignment, const PageBox &cell)
{
    drawTextOn(pages.size() - 1, text, left, top, width, height, alignment, cell);
}

void PageDocument::drawTextOn(int pageIndex, const QString &text, double left, double top, double width, double height,
    int alignment, const PageBox &cell)
{
    if (pageIndex < 0 || pageIndex >= pages.size())
        throw Error(QStringLiteral("报价页面不存在: 第") + QString::number(pageIndex + 1) + QStringLiteral("页"));
    if (text.isEmpty())
        return;
    pages[pageIndex].texts.append({text, left, top, width, height, m_fontName, m_fontSize, m_bold, alignment, cell});
}

void PageDocument::drawLine(double x1, double y1, double x2, double y2)
{
    if (pages.isEmpty())
        throw Error(QStringLiteral("报价页面不存在: 第1页"));
    pages.last().lines.append({x1, y1, x2, y2});
}

void PageDocument::drawImage(const QImage &image, double left, double top, double width, double height)
{
    if (pages.isEmpty())
        throw Error(QStringLiteral("报价页面不存在: 第1页"));
    pages.last().images.append({image, left, top, width, height});
}

} // namespace tarvex
