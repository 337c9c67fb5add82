#pragma once

#include "core/cutting/cutplan.h"
#include "core/document/pagedocument.h"

namespace tarvex {

// The parts of a bar from its left end, in units: the end trim, the pieces
// with the saw kerfs between them, and the offcut.
struct BarSegment {
    enum Kind { Trim, Piece, Kerf, Offcut };
    Kind kind = Piece;
    qint64 start = 0;
    qint64 length = 0;
    int piece = -1; // index into CodePlan::pieces for a Piece
};
QVector<BarSegment> barSegments(const CodePlan &code, const CutBar &bar, const CutSettings &settings);

// What a piece says on the drawing: "1.200 C1".
QString pieceLabel(const CutPiece &piece);
// A bar in the list: "1.200(C1) + 1.500(C2)".
QString barCutsText(const CodePlan &code, const CutBar &bar);

// The paper pages of the plan: the summary (with the pieces left out), then
// for every code its bars drawn to scale (pieces labelled, offcut hatched)
// and the list of its bars; every page numbered "共n页,第k页".
PageDocument cutPlanPages(const CutPlan &plan);

} // namespace tarvex
