#pragma once

#include <functional>

class QDialog;
class QWidget;

namespace tarvex {

class FlexGrid;

// Shows the record entry dialog of appState().EntryTable (1 inData, 2 inData1,
// 3 and 4 inData2) modally with the caption given, starting from the current
// row of grid: the price tables browser's grid when appState().EntryCaller
// is 1, the priced data viewer's grid of the page shown when it is 2.
// showSteps: whether "上一条"/"下一条" are visible.
void showPriceEntryDialog(QWidget *parent, FlexGrid *grid, const char *caption, bool showSteps);

// How the loaded dialog is run; exec() unless replaced. Tests put a function
// here that drives the dialog and returns, so nothing waits on a modal loop.
using EntryDialogRunner = std::function<void(QDialog *dialog)>;
void setEntryDialogRunner(EntryDialogRunner runner);

} // namespace tarvex
