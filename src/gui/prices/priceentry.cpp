#include "prices/priceentry.h"

#include "app/appstate.h"
#include "prices/indata.h"
#include "prices/indata1.h"
#include "prices/indata2.h"

#include <memory>

namespace tarvex {

namespace {

EntryDialogRunner &runner()
{
    static EntryDialogRunner run;
    return run;
}

PriceEntryDialog *createEntryDialog(FlexGrid *grid, QWidget *parent)
{
    switch (appState().EntryTable) {
    case 1:
        return new InData(grid, parent);
    case 2:
        return new InData1(grid, parent);
    default:
        return new InData2(grid, parent);
    }
}

} // namespace

void setEntryDialogRunner(EntryDialogRunner run)
{
    runner() = std::move(run);
}

void showPriceEntryDialog(QWidget *parent, FlexGrid *grid, const char *caption, bool showSteps)
{
    std::unique_ptr<PriceEntryDialog> dialog(createEntryDialog(grid, parent));
    dialog->load();
    dialog->setWindowTitle(QString::fromUtf8(caption));
    dialog->setStepsVisible(showSteps);
    if (runner())
        runner()(dialog.get());
    else
        dialog->exec();
}

} // namespace tarvex
