#pragma once

class QWidget;

namespace tarvex {

// The priced data viewer (dataForm), created for the main window to show.
QWidget *createDataForm();

} // namespace tarvex
