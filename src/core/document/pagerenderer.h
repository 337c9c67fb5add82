#pragma once

#include "core/document/pagedocument.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QSet>

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
    // The smallest size a text is shrunk to before it wraps.
    static constexpr double kMinimumPointSize = 7;

    void drawPage(QPainter &painter, const Page &page, double unitsPerInch);

    // Where the glyphs of a text go, in the painter's units: one line at the
    // text's own size, or smaller, or wrapped (see PageText::cell).
    struct Placed {
        struct Line {
            QString text;
            QList<QGlyphRun> runs;
            QPointF origin; // of the runs
            double left = 0; // ink
            double right = 0;
        };
        QList<Line> lines;
        double pointSize = 0;
    };
    Placed place(const PageText &text, double unitsPerInch, const QPaintDevice *device);

    // The character the pages drew with the glyph that code stands for in
    // the fonts used, when code itself was never drawn; else code. Qt's PDF
    // writer names a glyph by the lowest code point of the font that shows it
    // (面 by the radical ⾯); this names it by what the user wrote.
    char16_t drawnCharacterFor(char16_t code) const;

private:
    struct Shaped {
        QList<QGlyphRun> runs;
        double advance = 0; // trailing blanks included
        double ink = 0; // trailing blanks left out
        double ascent = 0; // of the line the runs were laid out on
    };
    // What the placing of a text depends on; the box is taken relative to
    // the text's left and top, so the same row on every page shares it.
    struct PlaceKey {
        QString text;
        QString fontName;
        double fontSize;
        bool bold;
        int alignment;
        double width;
        double cellLeft, cellRight, cellTop, cellBottom;
        double unitsPerInch;
        int dpi;

        bool operator==(const PlaceKey &other) const;
    };
    friend size_t qHash(const PlaceKey &key, size_t seed);
    struct FontUse {
        QRawFont font;
        QHash<quint32, char16_t> byGlyph; // a glyph and the first character drawn with it
        QSet<char16_t> drawn;
    };

    const QFont &font(const PageText &text, double pointSize, double unitsPerInch, int dpi);
    const Shaped &shape(const QString &text, const QFont &font, const QPaintDevice *device);
    QStringList wrap(
        const QString &text, const QFont &font, double width, int maxLines, const QPaintDevice *device) const;
    void noteDrawn(const QString &text, const QList<QGlyphRun> &runs);

    QHash<QString, QFont> m_fonts;
    QHash<QString, Shaped> m_shaped;
    QHash<PlaceKey, Placed> m_placed;
    QHash<QString, FontUse> m_used; // by family and style
    QSet<char16_t> m_drawn;
};

} // namespace tarvex
