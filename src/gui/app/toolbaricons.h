#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace tarvex {

// A toolbar picture: a rounded tile in the group's colour with one character.
QIcon tileIcon(const QString &glyph, const QColor &color);

} // namespace tarvex
