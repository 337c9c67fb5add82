#pragma once

class QApplication;

namespace tarvex {

// Chinese texts for Qt's own buttons, the fonts the program names mapped to
// installed CJK faces, and the message boxes on screen.
void setupApplication(QApplication &app);

// Font substitutions alone (also needed by tests that render pages).
void setupFonts();

} // namespace tarvex
