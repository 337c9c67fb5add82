#pragma once

#include "core/cutting/cutplan.h"
#include "core/document/pagedocument.h"

namespace tarvex {

// The parts of a bar from its left end, in units: the end trim, the pieces
// with the saw kerfs between them, the saw cut after the last piece and the
// offcut.
struct BarSegment {
    enum Kind { Trim, Piece, Kerf, Offcut };
    Kind kind = Piece;
    qint64 start = 0;
    qint64 length = 0;
    int piece = -1; // index into CodePlan::pieces for a Piece
};
QVector<BarSegment> barSegments(const CodePlan &code, const CutBar &bar, const CutSettings &settings);

// What a piece says on the drawing: "1200 C1" (lengths in the plan's unit,
// the series before the window when another series shares its number).
QString pieceLabel(const CutPiece &piece, const CutPlan &plan);
// The cuts of a bar as the list gives them: "1200(C1)", "1500(C2)", ...
QStringList barCutTexts(const CodePlan &code, const CutBar &bar, const CutPlan &plan);

// How wide a text of the page's font comes out at most, in inches: figures
// and Latin letters count 0.6 em, all else 1 em (a bound, not a measure, so
// that a text laid out to fit never has to be shrunk or cut short).
double textWidthBound(const QString &text, double pointSize);
// Parts joined by sep into lines no wider than width: a part is never split.
QStringList wrapParts(const QStringList &parts, const QString &sep, double width, double pointSize);

// The paper pages of the plan: the summary (with the pieces left out), then
// for every code the remnants to fetch, its bars drawn to scale (pieces
// labelled where the label fits, offcut hatched) and the list of its bars
// with every cut; every page numbered "共n页,第k页".
PageDocument cutPlanPages(const CutPlan &plan);

} // namespace tarvex
