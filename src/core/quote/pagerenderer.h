#pragma once

#include "quote/pagedocument.h"

#include <QFont>
#include <QHash>

class QPainter;

namespace tarvex {

// The font families a page font name stands for: "宋体" (SimSun) is drawn
// with the installed CJK serif face, whatever the substitutions of the process.
QStringList pageFontFamilies(const QString &fontName);

// Draws pages onto any painter (screen, printer, PDF). The painter's origin
// must be the paper's top left corner; unitsPerInch converts the page's inches
// to the painter's units. Keeps the fonts it made for the next page.
class PageRenderer {
public:
    void drawPage(QPainter &painter, const Page &page, double unitsPerInch);

private:
    const QFont &font(const PageText &text, double unitsPerInch, int deviceDpi);

    QHash<QString, QFont> m_fonts;
};

} // namespace tarvex
