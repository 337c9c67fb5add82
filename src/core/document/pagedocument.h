#pragma once

#include <QImage>
#include <QString>
#include <QVector>

namespace tarvex {

// A rectangle of the page in inches: the cell a text must stay inside.
struct PageBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    bool isEmpty() const { return right <= left; }
};

// A page of the printed quotation. Everything is in inches from the top left
// corner of the paper, as the preview component the layout was made for took it.
struct PageText {
    // How a box aligns its text; always centred vertically.
    enum Alignment { Right = 1, Centre = 3, Left = 4 };

    QString text;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    QString fontName;
    double fontSize = 10;
    bool bold = false;
    int alignment = Left;
    // The cell between its rules. A text too wide for it is made smaller,
    // down to a readable minimum, then wrapped and at last cut short with
    // "…"; with no cell it is drawn as it comes.
    PageBox cell;
};

struct PageLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};

// A picture drawn into its box (a firm's logo).
struct PageImage {
    QImage image;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct Page {
    QVector<PageText> texts;
    QVector<PageLine> lines;
    QVector<PageImage> images;
};

struct PageDocument {
    double pageWidth = 8.5; // Letter
    double pageHeight = 11;
    QVector<Page> pages;

    // The drawing calls of the layout: the last page added is the active one,
    // and text takes the font set last.
    void addPage() { pages.append(Page()); }
    void setFont(const QString &name, double size, bool bold = false);
    // Empty text draws nothing. The text stays inside cell (see PageText).
    void drawText(const QString &text, double left, double top, double width, double height, int alignment,
        const PageBox &cell = PageBox());
    void drawLine(double x1, double y1, double x2, double y2);
    void drawImage(const QImage &image, double left, double top, double width, double height);
    // Draws on a page other than the active one (the page footers).
    void drawTextOn(int pageIndex, const QString &text, double left, double top, double width, double height,
        int alignment, const PageBox &cell = PageBox());

private:
    QString m_fontName;
    double m_fontSize = 10;
    bool m_bold = false;
};

} // namespace tarvex
