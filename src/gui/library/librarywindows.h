#pragma once

class QWidget;

namespace tarvex {

// The drawing library window (DwgForm) and the library item editor (xldItem),
// loaded and ready for the main window to show; nullptr when the load failed
// (the failure has been reported).
QWidget *createDwgForm();
QWidget *createXldItem();

} // namespace tarvex
