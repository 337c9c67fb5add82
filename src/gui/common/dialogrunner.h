#pragma once

#include <functional>

class QDialog;

namespace tarvex {

// Runs a modal dialog and returns its result: exec() unless a test set a
// runner, which drives the dialog and returns instead of a modal loop.
int runDialog(QDialog *dialog);

using DialogRunner = std::function<int(QDialog *dialog)>;
void setDialogRunner(DialogRunner runner);

} // namespace tarvex
