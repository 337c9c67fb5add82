#include "gui/prices/flexmove.h"

#include "gui/common/flexgrid.h"

#include <QWidget>

namespace tarvex {

void FlexMove(FlexGrid *grid, int direction, QWidget *previous, QWidget *next)
{
    const int row = grid->row() + (direction == 1 ? -1 : 1);
    grid->setRow(row);
    previous->setEnabled(grid->row() >= 2);
    next->setEnabled(grid->row() < grid->rows() - 1);
    grid->changeColor();
}

} // namespace tarvex
