#pragma once

#include "core/common/entrymode.h"
#include "core/prices/missingprices.h"
#include "core/prices/pricetables.h"
#include "gui/common/statustext.h"

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace tarvex {

class FlexGrid;

// Who opened an entry dialog, with the system's values: the price tables
// browser (the dialog starts from its grid's current row), or a window that
// names one material (the dialog starts from the material's keys).
enum class EntryCaller : short { Browser = 1, Viewer = 2 };

// What a window hands a record entry dialog.
struct PriceEntryRequest {
    EntryCaller caller = EntryCaller::Browser;
    EntryMode mode = EntryMode::Add;
    PriceTableId table = PriceTableId::Profile;
    QString caption; // "添加数据" or "修改数据"
    bool showSteps = false; // "上一条"/"下一条" visible
    // The price tables browser's grid: its current row is the record to
    // start from, and the steps move through it. Fees always read it.
    FlexGrid *grid = nullptr;
    // Opened for one material (priced data viewer, missing price list): the
    // keys a new record starts from.
    MaterialKeys keys;
};

// The request that adds the price record of one material, as the priced
// data viewer's "入单价库" and the missing price list open it.
PriceEntryRequest addPriceRequest(MaterialKind kind, const MaterialKeys &keys);

// Shows the record entry dialog of request.table (profiles inData, accessories
// inData1, glass and fees inData2) modally. onSaved runs after each save that
// wrote a record (the dialog stays open then); the dialog's notes for the
// status bar go to status.
void showPriceEntryDialog(QWidget *parent, const PriceEntryRequest &request,
    const std::function<void()> &onSaved = nullptr, const StatusTextSink &status = nullptr);

// How the loaded dialog is run; exec() unless replaced. Tests put a function
// here that drives the dialog and returns, so nothing waits on a modal loop.
using EntryDialogRunner = std::function<void(QDialog *dialog)>;
void setEntryDialogRunner(EntryDialogRunner runner);

} // namespace tarvex
