#pragma once

class QWidget;

namespace tarvex {

// The settings dialog (setForm), created for the main window to show.
QWidget *createSetForm();

// The About box: not modal, one at a time.
void showAboutBox(QWidget *parent);

// Opens the user manual with the desktop's browser; a missing manual is
// reported with its path.
void openManual();

} // namespace tarvex
