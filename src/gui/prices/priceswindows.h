#pragma once

class QWidget;

namespace tarvex {

// The price tables browser (DisForm) for the current price table name.
QWidget *createDisForm();

} // namespace tarvex
