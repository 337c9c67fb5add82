#pragma once

#include <QIcon>
#include <QImage>

namespace tarvex {

// The program's picture, drawn at any size: a window of four panes on a blue
// tile with a price tag. The desktop icons of an installation are made from
// the same drawing.
QImage drawProgramIcon(int size);

// The picture at the sizes windows and toolbars ask for.
QIcon programIcon();

} // namespace tarvex
