#pragma once

class QWidget;

namespace tarvex {

class FlexGrid;

// Steps the grid's current row by one (direction 1 = previous, any other =
// next), enables the previous/next buttons for the new row and moves the
// highlight with it.
void FlexMove(FlexGrid *grid, int direction, QWidget *previous, QWidget *next);

} // namespace tarvex
