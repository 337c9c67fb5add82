#pragma once

#include <QApplication>

namespace tarvex {

// The program's application object: an event handler that runs out of
// memory is stopped with a message instead of ending the program.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Chinese texts for Qt's own buttons, the fonts the program names mapped to
// installed CJK faces, and the message boxes on screen.
void setupApplication(QApplication &app);

// Font substitutions alone (also needed by tests that render pages).
void setupFonts();

} // namespace tarvex
