#pragma once

#include "document/pagedocument.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>

class QPainter;
class QPaintDevice;

namespace tarvex {

// The font families a page font name stands for: "宋体" (SimSun) is drawn
// with the installed CJK serif face, whatever the substitutions of the process.
QStringList pageFontFamilies(const QString &fontName);

// Draws pages onto any painter (screen, printer, PDF). The painter's origin
// must be the paper's top left corner; unitsPerInch converts the page's inches
// to the painter's units. Use one renderer for all pages of a device: it keeps
// the fonts and the shaped texts, which repeat from page to page.
class PageRenderer {
public:
    void drawPage(QPainter &painter, const Page &page, double unitsPerInch);

private:
    struct Shaped {
        QList<QGlyphRun> runs;
        double advance = 0; // trailing blanks included
        double ascent = 0; // of the line the runs were laid out on
    };

    const Shaped &shape(const PageText &text, double unitsPerInch, const QPaintDevice *device);

    QHash<QString, QFont> m_fonts;
    QHash<QString, Shaped> m_shaped;
};

} // namespace tarvex
