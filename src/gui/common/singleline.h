#pragma once

#include <QString>

class QApplication;
class QLineEdit;

namespace tarvex {

// The text with every line break (CR LF, LF or CR) turned into one blank:
// what a single-line box keeps of a pasted paragraph.
QString withoutLineBreaks(const QString &text);

// Makes the box replace line breaks as they arrive (typed, pasted, dropped or
// set); done once per box.
void keepSingleLine(QLineEdit *box);

// Does so for every single-line box of the program as it is first polished,
// so that no dialog can hand a line break to a settings file or a record.
void installSingleLineBoxes(QApplication &app);

} // namespace tarvex
