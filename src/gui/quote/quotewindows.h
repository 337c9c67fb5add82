#pragma once

class QWidget;

namespace tarvex {

// Shows the quotation dialog (bjForm) modally over the main window.
void runQuoteDialog(QWidget *parent);

} // namespace tarvex
